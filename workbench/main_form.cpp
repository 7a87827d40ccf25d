#include "workbench/main_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <optional>

#include "common/core/line_io.h"
#include "common/core/text.h"
#include "common/ui/flpoint_dlg.h"
#include "common/ui/mdi_frame.h"
#include "common/ui/sheet_grid.h"
#include "engine/assessments_file.h"
#include "engine/case_files.h"
#include "engine/globals.h"
#include "engine/items_file.h"
#include "engine/tables.h"
#include "platform/qt/qt_prompts.h"
#include "workbench/about_form.h"
#include "workbench/case_state.h"
#include "workbench/distribution_dialog.h"
#include "workbench/experts_sheet.h"
#include "workbench/export_list.h"
#include "workbench/halvorine_app.h"
#include "workbench/items_sheet.h"
#include "workbench/program_launch.h"
#include "workbench/quantiles_form.h"
#include "workbench/range_graph.h"
#include "workbench/services.h"
#include "workbench/sheet_export.h"
#include "workbench/sheet_windows.h"
#include "workbench/window_state.h"

namespace halvorine {

TMainForm* MainForm = nullptr;

namespace {

// The header a new case starts its levels prompt from; the dialog's OK always changes it,
// since the header it builds ends in a blank.
const char* const PresetAssessmentHeader = "* OBRIX ASCII OUTPUT FILE. NQ=   3   QU=   5  50  95";

QString Q(const std::string& bytes) {
    return platform::QStringFromBytes(bytes);
}

// The id of expert e, "" when there is none.
std::string ExpertIdAt(int e) {
    if (e < 1 || e > ExpertSlotCount || !ExpertTable[e]) return "";
    return ExpertTable[e]->Id;
}

// The id of the item of expert e's assessment slot s, "" when there is none.
std::string ItemIdAt(int e, int s) {
    if (e < 1 || e > ExpertSlotCount || !ExpertTable[e] || s < 1 || s > MaxItemCount) return "";
    const TAssessment* a = ExpertTable[e]->Assessments[s].get();
    return a && a->Item ? a->Item->Id.str() : std::string();
}

// Flagged experts and items go back into the tables while the case is written, and aside
// again afterwards for the result views that had them aside.
class SideTablesPutBack {
public:
    SideTablesPutBack() {
        experts_ = std::any_of(FilteredExperts.begin(), FilteredExperts.end(),
                               [](const auto& p) { return p != nullptr; });
        items_ = std::any_of(FilteredItems.begin(), FilteredItems.end(), [](const auto& p) { return p != nullptr; });
        PutBackSideTables();
    }
    ~SideTablesPutBack() {
        if (experts_) FilterExpertsOut(FilteredExperts);
        if (items_) FilterItemsOut(FilteredItems);
    }
    SideTablesPutBack(const SideTablesPutBack&) = delete;
    SideTablesPutBack& operator=(const SideTablesPutBack&) = delete;

private:
    bool experts_ = false;
    bool items_ = false;
};

// The Edit menu acts on the experts sheet when it is active, else on the realisations sheet
// when that is active, else on nothing.
template <typename OnExperts, typename OnItems>
void ForwardToActiveSheet(TItemsSheet* realisations, OnExperts onExperts, OnItems onItems) {
    if (CurrentWindowFlags()[ExpertsActive]) {
        if (ExpertsSheet) onExperts(*ExpertsSheet);
    } else if (CurrentWindowFlags()[RealisationsActive]) {
        if (realisations) onItems(*realisations);
    }
}

// Every window and dialog the program shows takes the keyboard, and hands it back to the window
// it came from when it goes. Without a window manager nobody else moves the keyboard: the keys
// would go on landing in the window under the pointer (a sheet's open cell behind a dialog), and
// a modal dialog would take none at all.
class KeyboardFollowsWindows : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() != QEvent::Show && event->type() != QEvent::Hide) return false;
        auto* w = qobject_cast<QWidget*>(object);
        if (!w || !w->isWindow() || w->testAttribute(Qt::WA_ShowWithoutActivating)) return false;
        const Qt::WindowType type = w->windowType();
        if (type != Qt::Window && type != Qt::Dialog && type != Qt::Sheet) return false;
        if (event->type() == QEvent::Show)
            Activate(w, nullptr);
        else if (QWidget* parent = w->parentWidget())
            Activate(parent->window(), w);
        return false;
    }

private:
    // After the window is on the screen (the show, a modal dialog's loop, goes on first). When a
    // window went (`gone`), the one it came from takes the keyboard only if nobody else has it.
    static void Activate(QWidget* window, QWidget* gone) {
        QPointer<QWidget> left(gone);
        QTimer::singleShot(0, window, [window, left, gone] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!window->isVisible() || (modal && window != modal)) return;
            QWidget* active = QApplication::activeWindow();
            if (gone && active && active != window && (!left || active != gone)) return;
            window->raise();
            window->activateWindow();
        });
    }
};

}  // namespace

// ---------------------------------------------------------------- construction

TMainForm::TMainForm(platform::Prompts* prompts) : TMainFrame(prompts, SettingsFileName) {
    MainForm = this;
    Platform = Prompts();

    BuildMenus();
    BuildSpeedPanel();
    resize(621, 353);

    ExpertFileOpenDialog.Filter = ExpertFilesFilter;
    ItemsFileOpenDialog.Filter = ItemFilesFilter;

    // FormCreate
    Closing = false;
    ResetCaseState();
    SaveRestorePath(true);
    HelpFile = platform::ProgramFolder() + "HALVORINE.HLP";
    BaseCaption = ProgramTitle;
    SetCaption(BaseCaption);
    CaseFile.CaseFileName.clear();
    CaseFile.CaseName.clear();
    CaseFile.FileKinds[AssessmentsFileKind] = TFileKind{"dtt", "Experts", false, true};
    CaseFile.FileKinds[ItemsFileKind] = TFileKind{"rls", "Items", false, false};
    FreeCaseRecords();
    FieldWidth = 10;
    DecimalPlaces = 4;
    FloatFormat = 'g';

    FollowActivation();
    qApp->installEventFilter(new KeyboardFollowsWindows(this));
}

TMainForm::~TMainForm() {
    StopFollowingActivation();
    Closing = true;
    if (MainForm == this) MainForm = nullptr;
    if (OwnsPrompts(Platform)) Platform = nullptr;
}

void TMainForm::BuildMenus() {
    auto submenu = [&](QMenu* parent, const char* name, const char* caption) {
        QMenu* m = parent->addMenu(QString::fromLatin1(caption));
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        return m;
    };

    AddCaseOpenItems();
    MergeAssessmentsFile1 = AddItem(File1, "MergeAssessmentsFile1", "&Merge Assessments File",
                                    &TMainForm::MergeAssessmentsFile1Click);
    AddCaseSaveItems();
    SaveRangeGraph1 = AddItem(File1, "SaveRangeGraph1", "Save Range&Graph", &TMainForm::SaveRangeGraph1Click);
    QMenu* text = submenu(File1, "Exportastext1", "Export as te&xt");
    Exportastext1 = text->menuAction();
    DMSolution1 = AddItem(text, "DMSolution1", "&DM Solution", &TMainForm::DMSolution1Click);
    ExpertScores = AddItem(text, "ExpertScores", "Expert &Scores", &TMainForm::ExpertScoresClick);
    RobustnessExperts1 = AddItem(text, "RobustnessExperts1", "Robustness/&Experts",
                                 &TMainForm::RobustnessExperts1Click);
    RobustnessItems1 = AddItem(text, "RobustnessItems1", "Robustness/&Items", &TMainForm::RobustnessItems1Click);
    CopySolutionToClipboard1 = AddItem(text, "CopySolutionToClipboard1", "Copy &Solution To Clipboard",
                                       &TMainForm::CopySolutionToClipboard1Click);
    Questionnaire1 = AddItem(text, "Questionnaire1", "&Questionnaire", &TMainForm::Questionnaire1Click);
    QMenu* columns = submenu(File1, "ExportAsSpaceDelimited", "&Export as space delimited");
    ExportAsSpaceDelimited = columns->menuAction();
    Quantiles1 = AddItem(columns, "Quantiles1", "&Quantiles", &TMainForm::Quantiles1Click);
    Distributions1 = AddItem(columns, "Distributions1", "&Distributions", &TMainForm::Distributions1Click);
    AddExitItem();

    AddSheetCommands("&Assessments");

    AddEditItems("&Toggle Row mode (F3)", "&Disable filtering (F5)");
    ChangeallscalestoUNI1 = AddItem(Edit1, "ChangeallscalestoUNI1", "Change all scales to U&NI",
                                    &TMainForm::ChangeallscalestoUNI1Click);
    ChangeallscalestoLOG1 = AddItem(Edit1, "ChangeallscalestoLOG1", "Change all scales to &LOG",
                                    &TMainForm::ChangeallscalestoLOG1Click);
    ClearallUserWeights1 = AddItem(Edit1, "ClearallUserWeights1", "Clear all User &Weights",
                                   &TMainForm::ClearallUserWeights1Click);

    CalculateItem = AddBarCommand("CalculateItem", "&Calculate", &TMainForm::CalculateItemClick);

    AddWindowMenu();
    RunWTrindel1 = AddItem(Window1, "RunWTrindel1", "Run &WTrindel", &TMainForm::RunWTrindel1Click);

    Help1 = AddMenu("Help1", "&Help");
    AboutWHALVORIN1 = AddItem(Help1, "AboutWHALVORIN1", "&About HALVORINE", &TMainForm::AboutWHALVORIN1Click);
    WHALVORINHelp1 = AddItem(Help1, "WHALVORINHelp1", "HALVORINE &Help", &TMainForm::WHALVORINHelp1Click,
                             "Help topics");

    connect(File1, &QMenu::aboutToShow, this, &TMainForm::File1Click);
    connect(Edit1, &QMenu::aboutToShow, this, &TMainForm::Edit1Click);
    connect(Window1, &QMenu::aboutToShow, this, &TMainForm::Window1Click);
    connect(Window1, &QMenu::aboutToShow, this, &TMainForm::ListChildWindows);

    for (QAction* a : {FileSaveItem, FileSaveAsItem, Exportastext1, CopySolutionToClipboard1, ExportAsSpaceDelimited,
                       Experts1, Assessments1, UndoCtrlZ1, CutCntrlX1, ClearDel1, PasteCtrlV1, FilterOnOff1,
                       CalculateItem, OpenExpertsWindow1, OpenItemsWindow1})
        a->setEnabled(false);
}

void TMainForm::BuildSpeedPanel() {
    AddCaseSpeedButtons();
    PrintButton = AddSpeedButton("PrintButton", QStyle::SP_FileDialogDetailedView, "Print");
    GraphicsButton = AddSpeedButton("GraphicsButton", QStyle::SP_FileDialogContentsView, "Graphics");
    AddExitButton();
    PrintButton->setVisible(false);
    GraphicsButton->setVisible(false);
}

// ---------------------------------------------------------------- small helpers

void TMainForm::SetCaption(const std::string& caption) {
    if (Platform) Platform->SetCaption(caption);
    setWindowTitle(Q(caption));
    // Reading and writing hold the event loop: the caption, and the frame where a file
    // dialog was, are painted before they start.
    PaintNow(*this);
}

void TMainForm::ShowCaseCaption() {
    SetCaption(CaseFile.CaseName + ": " + BaseCaption);
}

void TMainForm::Tell(const std::string& text) {
    if (Platform) Platform->Message(platform::MessageKind::Information, text, platform::Buttons::Ok);
}

TItemsSheet* TMainForm::RealisationsSheet() const {
    return ChildSheets[0] ? ChildSheets[0] : ItemsSheet;
}

void TMainForm::RepaintAll() {
    repaint();
    RepaintChildWindows();
}

// ---------------------------------------------------------------- case state operations

void TMainForm::CreateExpertsSheet() {
    ResetCaseState();
    auto* sheet = new TExpertsSheet(MdiArea);
    ExpertsSheet = sheet;
    sheet->show();
    MdiArea->setActiveSubWindow(sheet);
    CalculateItem->setEnabled(CurrentWindowFlags()[ExpertsOpen]);
    RunButton->setEnabled(CurrentWindowFlags()[ExpertsOpen]);
}

void TMainForm::CreateItemsSheet() {
    ActiveExpert = nullptr;
    auto* sheet = new TItemsSheet(MdiArea, nullptr);
    ChildSheets[0] = sheet;
    ItemsSheet = sheet;
    sheet->show();
    MdiArea->setActiveSubWindow(sheet);
}

void TMainForm::KillUndos() {
    if (ExpertsSheet) FreeExpertsUndo();
    if (ItemsSheet || ChildSheets[0]) FreeItemsUndo();
}

bool TMainForm::CloseChildren() {
    // Text still open in a cell is typed text: the save questions must know of it.
    SheetGrid::StoreEditors(MdiArea);
    // The save questions come before anything closes: Cancel in one of them leaves every
    // window as it was. The sheets ask again as they close, which after Yes or No asks
    // nothing more.
    TItemsSheet* realisations = ChildSheets[0];
    if (realisations && !realisations->isHidden() && !Services().QuerySaveCase(ItemsFileKind)) return false;
    if (ExpertsSheet && !ExpertsSheet->isHidden() && !Services().QuerySaveCase(AssessmentsFileKind)) return false;
    if (RunDialog) {
        RunDialog->close();
        RunDialog = nullptr;
    }
    // The experts sheet goes last: closing it frees the whole case, which must not happen
    // before the other sheets had their say. A refusal (Cancel in a save question) ends
    // the closing there, so that the case stays as it is.
    QList<QPointer<QMdiSubWindow>> children;
    for (QMdiSubWindow* w : OpenChildren())
        if (w != ExpertsSheet) children.push_back(w);
    if (ExpertsSheet && !ExpertsSheet->isHidden()) children.push_front(ExpertsSheet.data());
    if (!CloseInTurn(children, true) || !OpenChildren().isEmpty()) return false;
    // With every window closed the case has gone: a flag still set belongs to nothing.
    CaseFile.FileKinds[AssessmentsFileKind].Modified = false;
    CaseFile.FileKinds[ItemsFileKind].Modified = false;
    return true;
}

WindowFlagSet TMainForm::SheetFlags() const {
    return CurrentWindowFlags();
}

std::string TMainForm::CasePath() const {
    return CaseFile.CaseFileName;
}

std::string TMainForm::CaseName() const {
    return CaseFile.CaseName;
}

bool TMainForm::ChooseCaseFile(platform::FileChoice& choice, std::string& chosen) {
    return ChooseCaseName(choice, chosen);
}

// ---------------------------------------------------------------- case commands

void TMainForm::MakeNewItemsForm() {
    if (!CloseChildren()) return;
    CaseFile.CaseFileName = "NONAME." + CaseFile.FileKinds[ItemsFileKind].Ext.str();
    CaseFile.CaseName = CaseNameFromFile(CaseFile.CaseFileName);
    ActiveExpert = nullptr;
    if (!ItemTable[1]) InsertItem("", "", 1);
    CreateItemsSheet();
    ShowCaseCaption();
}

void TMainForm::OpenCase() {
    if (!CloseChildren()) return;
    ExpertsSheet = nullptr;
    ItemsSheet = nullptr;
    if (!Platform->OpenFile(ExpertFileOpenDialog)) return;
    CaseFile.CaseFileName = ExpertFileOpenDialog.FileName;
    CaseFile.CaseName = CaseNameFromFile(CaseFile.CaseFileName);
    const bool itemsChosen = CaseFile.CaseFileName.find("." + CaseFile.FileKinds[ItemsFileKind].Ext.str()) !=
                             std::string::npos;
    const CaseFilePaths names = CaseFileNames(CaseFile.CaseFileName);
    ItemCount = 0;
    // Nothing of an earlier case may be read into.
    FreeCaseRecords();

    // A case that does not read leaves nothing behind: no half case for the next command, and
    // no name, so that no later Save (nor the settings file at exit) takes the refused file for
    // the case's own and writes over it.
    auto failed = [&](const std::string& kind, const std::string& path, int line) {
        FreeCaseRecords();
        CaseFile.CaseFileName.clear();
        CaseFile.CaseName.clear();
        CaseFile.FileKinds[AssessmentsFileKind].Modified = false;
        CaseFile.FileKinds[ItemsFileKind].Modified = false;
        SetCaption(BaseCaption);
        ShowLoadError(kind, path, line);
    };
    struct CaptionBack {
        TMainForm* form;
        bool done = false;
        ~CaptionBack() {
            if (!done) form->SetCaption(form->BaseCaption);
        }
    } captionBack{this};

    bool assessmentsRead = false;
    if (FileExists(names.Dtt)) {
        SetCaption("Reading " + CaseFile.FileKinds[AssessmentsFileKind].Kind.str() + " file...");
        int n = 0;
        {
            platform::BusyCursor busy(*Platform);
            n = ReadAssessmentsFile(names.Dtt);
        }
        if (n != 0) {
            failed(CaseFile.FileKinds[AssessmentsFileKind].Kind, names.Dtt, n);
            captionBack.done = true;
            return;
        }
        ActiveExpert = ExpertTable[1].get();
        CaseFile.FileKinds[AssessmentsFileKind].ConfirmClose = true;
        assessmentsRead = true;
    }
    if (FileExists(names.Rls)) {
        SetCaption("Reading " + CaseFile.FileKinds[ItemsFileKind].Kind.str() + " file...");
        const int n = ReadItemsFile(names.Rls);
        if (n != 0) {
            failed(CaseFile.FileKinds[ItemsFileKind].Kind, names.Rls, n);
            captionBack.done = true;
            return;
        }
    }
    captionBack.done = true;
    if (assessmentsRead && !itemsChosen && ActiveExpert)
        CreateExpertsSheet();
    else if (ItemTable[1])
        CreateItemsSheet();
    else
        MakeNewItemsForm();
    ShowCaseCaption();
}

void TMainForm::MergeAssessments() {
    SheetGrid::StoreEditors(MdiArea);
    // Whatever happens, the case keeps its own name and the dialog its filter.
    struct Restore {
        TMainForm* form;
        std::string caseFileName;
        std::string filter;
        ~Restore() {
            CaseFile.CaseFileName = caseFileName;
            form->ExpertFileOpenDialog.Filter = filter;
        }
    } restore{this, CaseFile.CaseFileName, ExpertFileOpenDialog.Filter};

    const std::string& filter = ExpertFileOpenDialog.Filter;
    const std::size_t star = filter.find('*');
    if (star != std::string::npos) ExpertFileOpenDialog.Filter = filter.substr(0, std::min(filter.size(), star + 5));
    if (!Platform->OpenFile(ExpertFileOpenDialog)) return;
    CaseFile.CaseFileName = ExpertFileOpenDialog.FileName;
    const std::string path = CaseFile.CaseFileName;
    if (!FileExists(path)) return;

    // A file that would stop half-way is not merged at all: the case stays as it was. The bytes
    // checked are the bytes merged, whatever happens to the file meanwhile.
    const std::vector<std::string> lines = ReadAssessmentsFileLines(path);
    int n = FirstFailingAssessmentsLine(lines);
    if (n == 0) {
        ClearResultExperts(ExpertsSheet);
        n = ReadAssessmentLines(path, lines);
    }
    if (n != 0) {
        ShowLoadError(CaseFile.FileKinds[AssessmentsFileKind].Kind, path, n);
        return;
    }
    CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
    ActiveExpert = ExpertTable[1].get();
    if (!ExpertsSheet) {
        // Merged experts need a window to be seen in.
        CaseFile.FileKinds[AssessmentsFileKind].ConfirmClose = true;
        CreateExpertsSheet();
        return;
    }
    ExpertsSheetMode = ExpertsDataView;
    ExpertsLayoutMode = NewLayout;
    BringToFront(ExpertsSheet);
    ExpertsSheet->FormPaint();
    ExpertsSheet->SetEditorModeCommand(false);
    InvalidateChildren();
    // The realisations sheet grows to show the items the merged file brought.
    if (ChildSheets[0] && !ChildSheets[0]->IsGone()) ChildSheets[0]->LayoutItemsSheet();
    ExpertsSheet->FormPaint();
}

void TMainForm::FileSave(bool asNew) {
    // The case takes a new name only once both its files are written there.
    std::string caseFileName;
    if (!ChooseSaveTarget(asNew, caseFileName)) return;
    const CaseFilePaths names = CaseFileNames(caseFileName);
    {
        // The caption names the case as it is now, however the writing ends.
        struct CaptionBack {
            TMainForm* form;
            ~CaptionBack() { form->ShowCaseCaption(); }
        } captionBack{this};
        KillUndos();
        SideTablesPutBack putBack;
        std::optional<platform::BusyCursor> busy;
        WriteCaseFiles(names, asNew || CaseFile.FileKinds[AssessmentsFileKind].Modified,
                       asNew || CaseFile.FileKinds[ItemsFileKind].Modified, [this, &busy](int kind) {
                           SetCaption("Saving " + CaseFile.FileKinds[kind].Kind.str() + " file...");
                           if (!busy) busy.emplace(*Platform);
                       });
        CaseFile.CaseFileName = caseFileName;
        CaseFile.CaseName = CaseNameFromFile(caseFileName);
    }
    SaveBtn->setEnabled(false);
    File1Click();
    RepaintAll();
}

// ---------------------------------------------------------------- File menu

void TMainForm::MergeAssessmentsFile1Click() {
    MergeAssessments();
}

void TMainForm::FileCloseItemClick() {
    if (QMdiSubWindow* w = MdiArea->currentSubWindow()) w->close();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    Closing = true;
    if (!CloseChildren()) {
        // Cancel in a save question: the program stays, with what is still open.
        Closing = false;
        event->ignore();
        UpdateMenuItems();
        return;
    }
    QuantileBackup.clear();
    SaveRestorePath(false);
    event->accept();
}

void TMainForm::SaveRangeGraph1Click() {
    // The graph of the current kind, else the one that is open.
    QMdiSubWindow* graph = RangeGraphKind != ItemsWiseGraph ? ExpertsRangeGraph.data() : ItemsRangeGraph.data();
    if (!graph) graph = RangeGraphKind != ItemsWiseGraph ? ItemsRangeGraph.data() : ExpertsRangeGraph.data();
    if (graph) Services().SaveRangeGraph(graph);
}

void TMainForm::ExportResultSheet(bool isItems, ExportTarget target) {
    int slot = 0;
    for (int e = 1; e <= ExpertSlotCount && !slot; ++e)
        if (ExpertTable[e] && ExpertTable[e].get() == ActiveExpert) slot = FindResultSheet(e);
    ExportSheet(ChildSheets[slot], ExpertsSheet, isItems, target);
}

void TMainForm::DMSolution1Click() {
    if (CurrentWindowFlags()[ExpertItemsActive] && ItemsSheetMode == ItemsSolutionView)
        ExportResultSheet(true, ExportTarget::File);
}

void TMainForm::ExpertScoresClick() {
    if (CurrentWindowFlags()[ExpertsActive] && ExpertsSheetMode == ExpertsScoresView)
        ExportResultSheet(false, ExportTarget::File);
}

void TMainForm::RobustnessExperts1Click() {
    if (CurrentWindowFlags()[ExpertsActive] && ExpertsSheetMode == ExpertsRobustnessView)
        ExportResultSheet(false, ExportTarget::File);
}

void TMainForm::RobustnessItems1Click() {
    if (CurrentWindowFlags()[ExpertItemsActive] && ItemsSheetMode == ItemsRobustnessView)
        ExportResultSheet(true, ExportTarget::File);
}

void TMainForm::CopySolutionToClipboard1Click() {
    if (CurrentWindowFlags()[ExpertItemsActive] && (ItemsSheetMode == ItemsSolutionView || ItemsSheetMode == ItemsLossView))
        ExportResultSheet(true, ExportTarget::ClipboardTabs);
}

void TMainForm::Questionnaire1Click() {
    WriteQuestionnaire(this);
}

void TMainForm::Quantiles1Click() {
    CompactExperts(1);
    CompactItems(1);
    ExportSolutionMode = 0;
    ExportDistributions = false;
    Services().OpenExportList();
}

void TMainForm::Distributions1Click() {
    CompactExperts(1);
    CompactItems(1);
    ExportSolutionMode = 0;
    ExportDistributions = true;
    Services().OpenExportList();
}

// ---------------------------------------------------------------- the sheets

void TMainForm::OpenItemsWindow1Click() {
    ActiveExpert = nullptr;
    if (!CurrentWindowFlags()[RealisationsOpen]) {
        ItemsSheetMode = ItemsDataView;
        ItemsTextOutput = false;
        if (ExpertTable[1])
            CreateItemsSheet();
        else
            MakeNewItemsForm();
    } else if (!CurrentWindowFlags()[RealisationsActive]) {
        if (TItemsSheet* sheet = RealisationsSheet()) {
            ItemsLayoutMode = ItemsSheetMode;
            ItemsTextOutput = false;
            ItemsSheetMode = ItemsDataView;
            BringToFront(sheet);
        }
    }
}

void TMainForm::Experts1Click() {
    OpenExpertsWindow1Click();
    if (CurrentWindowFlags()[ExpertsActive]) Edit1Click();
}

void TMainForm::OpenExpertsWindow1Click() {
    if (CurrentWindowFlags()[ExpertsOpen] && ExpertsSheet) {
        if (ExpertsSheetMode != ExpertsDataView) {
            ExpertsSheetMode = ExpertsDataView;
            ExpertsSheet->FormPaint();
        }
        BringToFront(ExpertsSheet);
        if (RunDialog) Services().UpdateRunDialogCaptions();
    } else if (!ExpertTable[1]) {
        AssessmentHeader = PresetAssessmentHeader;
        {
            TQuantilesForm form(this);
            form.exec();
        }
        if (AssessmentHeader != PresetAssessmentHeader) {
            CaseFile.FileKinds[AssessmentsFileKind].ConfirmClose = true;
            ParseAssessmentHeader(AssessmentHeader);
            InsertExpert("", "", 1);
            CreateExpertsSheet();
        }
    } else {
        CreateExpertsSheet();
    }
    repaint();
}

void TMainForm::Assessments1Click() {
    if (!CurrentWindowFlags()[ExpertsOpen] || !ExpertsSheet) return;
    if (ItemsSheetMode != ItemsDataView) ItemsLayoutMode = NewLayout;
    ItemsSheetMode = ItemsDataView;
    ExpertsSheet->OpenExpertItemsSheet(0);
}

void TMainForm::CalculateItemClick() {
    RunButtonClick();
}

void TMainForm::RunButtonClick() {
    // The check and the run take the case as the sheets show it.
    SheetGrid::StoreEditors(MdiArea);
    if (CurrentWindowFlags()[RealisationsOpen]) {
        if (TItemsSheet* sheet = RealisationsSheet()) sheet->FixEmptyRows();
    }
    CompactExperts(1);
    if (!ExpertTable[1]) {
        Tell("Can`t run without experts data");
        return;
    }
    CheckedExpert = 0;
    ItemCount = 0;
    const int r = CheckCaseData();
    if (r > 0 || r == CheckTooFewSeeds) {
        KillUndos();
        if (!RunDialog) RunDialog = Services().CreateRunDialog(MdiArea);
        if (RunDialog) {
            RunDialog->setEnabled(true);
            RunDialog->show();
            RunDialog->showNormal();
            BringToFront(RunDialog);
            KeepWindowsClearOfRunDialog();
        }
        return;
    }
    const std::string e = ExpertIdAt(CheckedExpert);
    const std::string i = ItemIdAt(CheckedExpert, ItemCount);
    std::string text;
    switch (r) {
    case 0: text = "Empty ExpertsData list or no active experts found"; break;
    case CheckNoExpertId: text = "Some Expert IDs are not defined"; break;
    case CheckNoItemId: text = "Some Item IDs are not defined for the expert `" + e + "`"; break;
    case CheckNoItem: text = "No items defined for the expert " + e; break;
    case CheckNotIncreasing:
        text = "Non-increasing or empty quantiles found, expert `" + e + "`, item `" + i + "`";
        break;
    case CheckNotPositiveLog:
        text = "Negative or zero quantiles are illegal for the LOG scale, expert `" + e + "`, item `" + i + "`";
        break;
    default: return;
    }
    Tell(text);
    if (ExpertsSheet && CheckedExpert >= 1 && CheckedExpert <= MaxExpertCount && r != 0 && r != CheckNoItemId) {
        BringToFront(ExpertsSheet);
        ExpertsSheet->SelectExpertRow(ExpertsSheet->Core.RowOfEntry(CheckedExpert), ItemCount);
    }
}

// ---------------------------------------------------------------- enabling

void TMainForm::UpdateMenuItems() {
    if (!UpdateSheetMenuItems()) return;
    Experts1->setEnabled(true);
    Assessments1->setEnabled(true);
}

void TMainForm::File1Click() {
    if (Closing) return;
    const WindowFlagSet flags = CurrentWindowFlags();
    const bool anySheet = flags[RealisationsOpen] || flags[ExpertsOpen] || flags[ExpertItemsOpen];
    const bool modified = CaseFile.FileKinds[ItemsFileKind].Modified ||
                          CaseFile.FileKinds[AssessmentsFileKind].Modified;
    SaveBtn->setEnabled(anySheet && modified);
    MergeAssessmentsFile1->setEnabled(ItemTable[1] != nullptr);
    FileSaveItem->setEnabled(SaveBtn->isEnabled());
    FileCloseItem->setEnabled(!OpenChildren().isEmpty());
    FileSaveAsItem->setEnabled(anySheet);
    SaveRangeGraph1->setEnabled(ItemsRangeGraph || ExpertsRangeGraph);
    DMSolution1->setEnabled(flags[ExpertItemsActive] && ItemsSheetMode == ItemsSolutionView);
    ExpertScores->setEnabled(flags[ExpertsActive] && ExpertsSheetMode == ExpertsScoresView);
    RobustnessExperts1->setEnabled(flags[ExpertsActive] && ExpertsSheetMode == ExpertsRobustnessView);
    RobustnessItems1->setEnabled(flags[ExpertItemsActive] && ItemsSheetMode == ItemsRobustnessView);
    Questionnaire1->setEnabled(flags[RealisationsOpen]);
    Exportastext1->setEnabled(DMSolution1->isEnabled() || ExpertScores->isEnabled() ||
                              RobustnessExperts1->isEnabled() || RobustnessItems1->isEnabled() ||
                              CopySolutionToClipboard1->isEnabled() || Questionnaire1->isEnabled());
    ExportAsSpaceDelimited->setEnabled(FileSaveAsItem->isEnabled());
    Quantiles1->setEnabled(FileSaveAsItem->isEnabled());
}

void TMainForm::Edit1Click() {
    const WindowFlagSet flags = CurrentWindowFlags();
    ToggleEditormode1->setEnabled(true);
    CopySolutionToClipboard1->setEnabled(flags[ExpertItemsActive] &&
                                         (ItemsSheetMode == ItemsSolutionView || ItemsSheetMode == ItemsLossView));
    TItemsSheet* realisations = RealisationsSheet();
    auto apply = [&](const EditMenuState& s, bool experts) {
        UndoCtrlZ1->setEnabled(s.Undo);
        if (experts || !s.UndoCaption.empty()) UndoCtrlZ1->setText(Q(s.UndoCaption));
        CutCntrlX1->setEnabled(s.Cut);
        ClearDel1->setEnabled(s.Clear);
        PasteCtrlV1->setEnabled(s.Paste);
        FilterOnOff1->setEnabled(s.FilterOnOff);
        ToggleEditormode1->setEnabled(s.ToggleEditorMode);
        EnableFiltering1->setChecked(s.FilteringChecked);
    };
    if (flags[ExpertsActive]) {
        if (ExpertsSheet) {
            ExpertsSheet->UpdateExpertsEditMenu();
            apply(ExpertsSheet->EditMenu, true);
        }
    } else if (!flags[RealisationsActive]) {
        ToggleEditormode1->setEnabled(false);
        FilterOnOff1->setEnabled(false);
        DisableEditItems();
    } else if (realisations) {
        realisations->UpdateItemsEditMenu();
        apply(realisations->EditMenu, false);
    }

    EnableFiltering1->setChecked(false);
    bool rowMode = false;
    if (flags[ExpertsActive] && ExpertsSheet)
        rowMode = !ExpertsSheet->ExpertsGrid->EditorMode();
    else if (flags[RealisationsActive] && realisations)
        rowMode = !realisations->ItemsGrid->EditorMode();
    EnableFiltering1->setEnabled(rowMode);
    if (flags[ExpertsActive] || flags[RealisationsActive]) {
        const bool on = flags[ExpertsActive] ? ExpertsFilterEnabled : ItemsFilterEnabled;
        EnableFiltering1->setText(QString::fromLatin1(on ? "&Dis" : "&En") + QStringLiteral("able filtering (F5)"));
    }
    ChangeallscalestoLOG1->setEnabled(flags[RealisationsOpen] && flags[RealisationsActive]);
    ChangeallscalestoUNI1->setEnabled(flags[RealisationsOpen] && flags[RealisationsActive]);
    ClearallUserWeights1->setEnabled(flags[ExpertsOpen] && WeightType == UserWeighting);
    Changefloatingpointformat1->setEnabled(true);
}

void TMainForm::Window1Click() {
    if (Closing) return;
    EnableArrangingCommands();
    OpenItemsWindow1->setEnabled(!CurrentWindowFlags()[RealisationsActive]);
    Items1->setEnabled(OpenItemsWindow1->isEnabled());
    OpenExpertsWindow1->setEnabled(Experts1->isEnabled());
}

void TMainForm::ListChildWindows() {
    // The open windows after the menu's own items, as the frame's window menu shows them.
    const QList<QMdiSubWindow*> children = OpenChildren();
    const bool any = !children.isEmpty();
    for (QAction* a : windowList_) {
        Window1->removeAction(a);
        a->deleteLater();
    }
    windowList_.clear();
    if (!windowListSeparator_) windowListSeparator_ = Window1->addSeparator();
    windowListSeparator_->setVisible(any);
    QMdiSubWindow* current = MdiArea->currentSubWindow();
    int n = 0;
    for (QMdiSubWindow* w : children) {
        ++n;
        QString title = w->windowTitle();
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* a = Window1->addAction((n < 10 ? QStringLiteral("&%1 ").arg(n) : QStringLiteral("%1 ").arg(n)) +
                                        title);
        a->setCheckable(true);
        a->setChecked(w == current);
        QPointer<QMdiSubWindow> target(w);
        connect(a, &QAction::triggered, this, [this, target] {
            if (target) RunCommand([&] { BringToFront(target); });
        });
        windowList_.push_back(a);
    }
}

// ---------------------------------------------------------------- Edit menu

void TMainForm::UndoCtrlZ1Click() {
    ForwardToActiveSheet(
        RealisationsSheet(), [](TExpertsSheet& s) { s.UndoExpertsCommand(); },
        [](TItemsSheet& s) { s.UndoItemsCommand(); });
}

void TMainForm::CutCntrlX1Click() {
    ForwardToActiveSheet(
        RealisationsSheet(), [](TExpertsSheet& s) { s.DeleteRowsCommand(true); },
        [](TItemsSheet& s) { s.DeleteRowsCommand(true); });
}

void TMainForm::ClearDel1Click() {
    ForwardToActiveSheet(
        RealisationsSheet(), [](TExpertsSheet& s) { s.DeleteRowsCommand(false); },
        [](TItemsSheet& s) { s.DeleteRowsCommand(false); });
}

void TMainForm::PasteCtrlV1Click() {
    ForwardToActiveSheet(
        RealisationsSheet(), [](TExpertsSheet& s) { s.PasteRowsCommand(); },
        [](TItemsSheet& s) { s.PasteRowsCommand(); });
}

void TMainForm::FilterOnOff1Click() {
    ForwardToActiveSheet(
        RealisationsSheet(), [](TExpertsSheet& s) { s.ToggleFilterCommand(); },
        [](TItemsSheet& s) { s.ToggleFilterCommand(); });
}

void TMainForm::ToggleEditormode1Click() {
    ForwardToActiveSheet(
        RealisationsSheet(), [](TExpertsSheet& s) { s.ToggleEditorModeCommand(); },
        [](TItemsSheet& s) { s.ToggleEditorModeCommand(); });
}

void TMainForm::EnableFiltering1Click() {
    ForwardToActiveSheet(
        RealisationsSheet(), [](TExpertsSheet& s) { s.EnableFilteringCommand(); },
        [](TItemsSheet& s) { s.EnableFilteringCommand(); });
}

void TMainForm::SetAllScalesCommand(int index) {
    SetAllScales(index);
    const WindowFlagSet flags = CurrentWindowFlags();
    if ((flags[RealisationsOpen] || flags[ExpertItemsOpen]) && RealisationsSheet()) {
        InvalidateChildren();
        RealisationsSheet()->ItemsGrid->Refresh();
    }
}

void TMainForm::ChangeallscalestoUNI1Click() {
    SetAllScalesCommand(2);
}

void TMainForm::ChangeallscalestoLOG1Click() {
    SetAllScalesCommand(1);
}

void TMainForm::ClearallUserWeights1Click() {
    ClearUserWeights();
    if (CurrentWindowFlags()[ExpertsOpen] && WeightType == UserWeighting && ExpertsSheet) ExpertsSheet->ExpertsGrid->Refresh();
}

void TMainForm::Changefloatingpointformat1Click() {
    auto* dlg = new TFlpointDlg(this, FieldWidth, DecimalPlaces, FloatFormat, [] {
        if (ItemsSheet || ChildSheets[0]) {
            // Every sheet lays out anew: the widths follow the format. (The layout mode is
            // shared by all items sheets, so a repaint would lay out only the first.)
            InvalidateChildren();
            for (TItemsSheet* s : ChildSheets)
                if (s && !s->IsGone()) {
                    s->LayoutItemsSheet();
                    s->FormPaint();
                }
        }
        if (ExpertsSheet) {
            ExpertsLayoutMode = NewLayout;
            ExpertsSheet->FormPaint();
        }
    });
    dlg->show();
}

// ---------------------------------------------------------------- Window and Help menus

void TMainForm::RunWTrindel1Click() {
    RunApp(WTrindelFile, WTrindelFallbackFile);
}

void TMainForm::WHALVORINHelp1Click() {
    HelpFile = HelpFileName;
    ShowHelpContents();
}

void TMainForm::AboutWHALVORIN1Click() {
    new TAbout(this, Q(BaseCaption));
}

}  // namespace halvorine
