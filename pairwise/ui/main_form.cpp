#include "pairwise/ui/main_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QToolBar>

#include "common/core/line_io.h"
#include "common/core/text.h"
#include "common/ui/flpoint_dlg.h"
#include "common/ui/mdi_frame.h"
#include "pairwise/model/case_files.h"
#include "pairwise/model/expert_data_file.h"
#include "pairwise/model/items_file.h"
#include "pairwise/model/tables.h"
#include "pairwise/ui/experts_sheet.h"
#include "pairwise/ui/items_sheet.h"
#include "pairwise/ui/pair_grid.h"
#include "pairwise/ui/run_dialog.h"
#include "pairwise/ui/trindel_app.h"
#include "pairwise/ui/window_state.h"
#include "platform/qt/qt_prompts.h"

namespace trindel {

namespace {

QString Q(const std::string& bytes) {
    return platform::QStringFromBytes(bytes);
}

TItemsSheet* Realisations() {
    return ChildSheets[0];
}

// The Edit menu acts on the experts sheet when it is active, else on the realisations sheet
// when that is active, else on nothing.
template <typename OnExperts, typename OnItems>
void ForwardToActiveSheet(OnExperts onExperts, OnItems onItems) {
    if (CurrentWindowFlags()[ExpertsActive]) {
        if (ExpertsSheet) onExperts(*ExpertsSheet);
    } else if (CurrentWindowFlags()[RealisationsActive]) {
        if (Realisations()) onItems(*Realisations());
    }
}

}  // namespace

// ---------------------------------------------------------------- construction

TMainForm::TMainForm(platform::Prompts* prompts) : TMainFrame(prompts, SettingsFileName) {
    MainForm = this;
    Platform = Prompts();
    BaseCaption = "WTrindel";

    BuildMenus();
    BuildSpeedPanel();
    resize(760, 520);

    ExpertFileOpenDialog.Filter = ExpertDataFilesFilter;
    ItemsFileOpenDialog.Filter = ItemsFilesFilter;

    // FormCreate
    Closing = false;
    ResetCaseState();
    SaveRestorePath(true);
    HelpFile = platform::ProgramFolder() + "HALVORINE.HLP";
    SetCaption(BaseCaption);
    CaseFile.CaseFileName.clear();
    CaseFile.CaseName.clear();
    CaseFile.FileKinds[ExpertsFileKind] = TFileKind{"ey", "Experts", false};
    CaseFile.FileKinds[ItemsFileKind] = TFileKind{"iy", "Items", false};
    FreeCase();
    FieldWidth = 10;
    DecimalPlaces = 4;
    FloatFormat = 'g';

    FollowActivation();
}

TMainForm::~TMainForm() {
    StopFollowingActivation();
    Closing = true;
    // The windows go before the frame's references to them.
    QList<QPointer<QMdiSubWindow>> windows;
    for (QMdiSubWindow* w : MdiArea->subWindowList()) windows.push_back(w);
    for (const QPointer<QMdiSubWindow>& w : windows) delete w.data();  // some take others with them
    ChildSheets.fill(nullptr);
    ExpertsSheet = nullptr;
    ItemsSheet = nullptr;
    if (MainForm == this) MainForm = nullptr;
    if (OwnsPrompts(Platform)) Platform = nullptr;
}

void TMainForm::BuildMenus() {
    AddCaseOpenItems();
    AddCaseSaveItems();
    AddExitItem();

    AddSheetCommands("&Comparisons");

    AddEditItems("&Toggle Editor mode (F3)", "&Enable Filtering (F5)");
    EnableFiltering1->setChecked(true);

    // Opening the menu is the command; its entries do nothing.
    CalculateMenu = AddMenu("CalculateItem", "&Calculate");
    CalculateItem = CalculateMenu->menuAction();
    QAction* scale = CalculateMenu->addAction(QStringLiteral("&Scale transformation"));
    scale->setCheckable(true);
    scale->setChecked(true);
    CalculateMenu->addAction(QStringLiteral("&Confidence intervals"));
    CalculateMenu->addAction(QStringLiteral("&Run"));
    connect(CalculateMenu, &QMenu::aboutToShow, this, [this] { RunCommand([&] { CalculateItemClick(); }); });

    AddWindowMenu();

    Help1 = AddMenu("Help1", "&Help", "Help topics");
    HelpAboutItem = AddItem(Help1, "HelpAboutItem", "Halvorine and WTrindel &Help", &TMainForm::HelpAboutItemClick);

    connect(File1, &QMenu::aboutToShow, this, &TMainForm::File1Click);
    connect(Edit1, &QMenu::aboutToShow, this, &TMainForm::Edit1Click);
    connect(Window1, &QMenu::aboutToShow, this, &TMainForm::Window1Click);

    for (QAction* a : {FileSaveItem, FileSaveAsItem, Experts1, Assessments1, FilterOnOff1, CalculateItem,
                       OpenExpertsWindow1, OpenItemsWindow1})
        a->setEnabled(false);
}

void TMainForm::BuildSpeedPanel() {
    AddCaseSpeedButtons();
    AddExitButton();
}

// ---------------------------------------------------------------- helpers

void TMainForm::SetCaption(const std::string& caption) {
    if (Platform) Platform->SetCaption(caption);
    setWindowTitle(Q(caption));
}

void TMainForm::Tell(const std::string& text) {
    if (Platform) Platform->Message(platform::MessageKind::Information, text, platform::Buttons::Ok);
}

void TMainForm::FrameActivated() {
    // As in the analysis program: after the frame was activated, Calculate makes a new
    // run dialog.
    RunDialog = nullptr;
    UpdateMenuItems();
}

void TMainForm::RepaintChildren() {
    update();
    RepaintChildWindows();
}

// ---------------------------------------------------------------- case operations

bool TMainForm::ChildrenAgreeToClose() {
    QList<QPointer<QMdiSubWindow>> children;
    for (QMdiSubWindow* w : OpenChildren()) children.push_back(w);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        QMdiSubWindow* w = *it;
        if (!w || w->isHidden()) continue;
        bool agrees = true;
        if (auto* experts = qobject_cast<TExpertsSheet*>(w))
            agrees = experts->FormCloseQuery(true);
        else if (auto* items = qobject_cast<TItemsSheet*>(w))
            agrees = items->FormCloseQuery();
        if (!agrees) return false;
    }
    return true;
}

bool TMainForm::CloseChildren() {
    // Text still open in a cell is typed text: the save questions must know of it.
    SheetGrid::StoreEditors(MdiArea);
    // A command runs to its end once its questions are answered Yes or No; only Cancel stops
    // it, before anything closed. The experts sheet does not stop it by minimising itself.
    if (!ChildrenAgreeToClose()) return false;
    CloseRunDialogs();
    QPointer<TExpertsSheet> experts = ExpertsSheet;
    if (experts) experts->CloseForCommand = true;
    struct Back {
        QPointer<TExpertsSheet>& experts;
        ~Back() {
            if (experts) experts->CloseForCommand = false;
        }
    } back{experts};
    QList<QPointer<QMdiSubWindow>> children;
    for (QMdiSubWindow* w : OpenChildren()) children.push_back(w);
    const bool refused = !CloseInTurn(children, false);
    return !refused && !CaseFile.FileKinds[ExpertsFileKind].Modified && !CaseFile.FileKinds[ItemsFileKind].Modified;
}

void TMainForm::MakeNewItemsForm() {
    if (!CloseChildren()) return;
    CaseFile.CaseFileName = "NONAME." + CaseFile.FileKinds[ItemsFileKind].Ext.str();
    CaseFile.CaseName = CaseNameFromFile(CaseFile.CaseFileName);
    ActiveExpert = nullptr;
    if (!ItemTable[1]) InsertItem("", "", 1);
    AnswerColumnCount = CountItems();
    SetCaption(CaseFile.CaseName + ": " + BaseCaption);
    CreateItemsSheet();
}

void TMainForm::CreateItemsSheet() {
    ActiveExpert = nullptr;
    auto* sheet = new TItemsSheet(MdiArea, nullptr);
    ChildSheets[0] = sheet;
    ItemsSheet = sheet;
    sheet->show();
    KeepInsideArea(sheet);
    MdiArea->setActiveSubWindow(sheet);
    UpdateMenuItems();
}

void TMainForm::CreateExpertsSheet() {
    ResetCaseState();
    auto* sheet = new TExpertsSheet(MdiArea);
    ExpertsSheet = sheet;
    sheet->show();
    MdiArea->setActiveSubWindow(sheet);
    CalculateItem->setEnabled(CurrentWindowFlags()[ExpertsOpen]);
    RunButton->setEnabled(CurrentWindowFlags()[ExpertsOpen]);
    UpdateMenuItems();
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

void TMainForm::OpenCase() {
    if (!CloseChildren()) return;
    ExpertsSheet = nullptr;
    ItemsSheet = nullptr;
    if (!Platform->OpenFile(ExpertFileOpenDialog)) return;
    CaseFile.CaseFileName = ExpertFileOpenDialog.FileName;
    CaseFile.CaseName = CaseNameFromFile(CaseFile.CaseFileName);
    const CaseFilePaths names = CaseFileNames(CaseFile.CaseFileName);
    ItemCount = 0;
    // What an earlier open left half read must not pass for this case.
    FreeCase();
    // A refused open, also one a reader ends by raising, leaves no name that a later Save would
    // write over (what was read stays, for the Experts and Items commands), and the caption
    // says that no file is being read.
    auto forget = [this] {
        ActiveExpert = nullptr;
        CaseFile.FileKinds[ExpertsFileKind].Modified = CaseFile.FileKinds[ItemsFileKind].Modified = false;
        CaseFile.CaseFileName.clear();
        CaseFile.CaseName.clear();
        SetCaption(BaseCaption);
    };
    struct OnRaise {
        decltype(forget)& undo;
        bool done = false;
        ~OnRaise() {
            if (!done) undo();
        }
    } onRaise{forget};
    auto refuse = [&](const TFileKind& kind, const std::string& path, int line) {
        onRaise.done = true;
        forget();
        ShowLoadError(kind.Kind.str(), path, line);
    };
    // Without its items file the case cannot be opened: the missing file is named.
    if (!FileExists(names.ItemsFile)) return refuse(CaseFile.FileKinds[ItemsFileKind], names.ItemsFile, 1);
    SetCaption("Reading " + CaseFile.FileKinds[ItemsFileKind].Kind.str() + " file...");
    repaint();
    int n = 0;
    {
        platform::BusyCursor busy(*Platform);
        n = ReadItemsFile(names.ItemsFile);
    }
    if (n != 0) return refuse(CaseFile.FileKinds[ItemsFileKind], names.ItemsFile, n);
    if (FileExists(names.ExpertDataFile)) {
        SetCaption("Reading " + CaseFile.FileKinds[ExpertsFileKind].Kind.str() + " file...");
        repaint();
        {
            platform::BusyCursor busy(*Platform);
            n = ReadExpertDataFile(names.ExpertDataFile);
        }
        if (n != 0) return refuse(CaseFile.FileKinds[ExpertsFileKind], names.ExpertDataFile, n);
        onRaise.done = true;
        ActiveExpert = ExpertTable[1].get();
        CreateExpertsSheet();
    } else {
        onRaise.done = true;
        CreateItemsSheet();
    }
    SetCaption(CaseFile.CaseName + ": " + BaseCaption);
    repaint();
}

void TMainForm::FileSave(bool asNew) {
    // Save As takes on the new name only once both files are saved: a failed save leaves the
    // case under its old name, still modified.
    std::string chosen;
    if (!ChooseSaveTarget(asNew, chosen)) return;
    const std::string caption = Platform->Caption();
    {
        platform::BusyCursor busy(*Platform);
        // The flags go back whatever the writers do, and so does the caption unless both files
        // were written.
        struct Back {
            TMainForm* form;
            const std::string& caption;
            bool saved = SavedFilterFlag, experts = ExpertsFilterEnabled;
            bool written = false;
            ~Back() {
                SavedFilterFlag = saved;
                ExpertsFilterEnabled = experts;
                if (!written) form->SetCaption(caption);
            }
        } back{this, caption};
        SavedFilterFlag = false;
        ExpertsFilterEnabled = false;
        SaveCaseFiles(CaseFileNames(chosen), asNew, [this](int kind) {
            SetCaption("Saving " + CaseFile.FileKinds[kind].Kind.str() + " file...");
            repaint();
        });
        back.written = true;
    }
    if (asNew) {
        CaseFile.CaseFileName = chosen;
        CaseFile.CaseName = CaseNameFromFile(chosen);
    }
    SaveBtn->setEnabled(false);
    SetCaption(CaseFile.CaseName + ": " + BaseCaption);  // after Save As, the new name
    File1Click();
    RepaintChildren();
}

void TMainForm::Calculate() {
    if (CurrentWindowFlags()[RealisationsOpen] && Realisations()) Realisations()->FixEmptyRows();
    CompactExperts(1);
    if (!ExpertTable[1]) {
        Tell("Can`t run without experts data");
        return;
    }
    ItemCount = 0;
    if (ExpertsSheet) FreeExpertsUndo();
    if (ItemsSheet || Realisations()) FreeItemsUndo();
    if (RunDialog) {
        BringToFront(RunDialog);
    } else {
        RunDialog = new TRunDlgFrm(MdiArea);
    }
    RunDialog->setEnabled(true);
    RunDialog->show();
    RunDialog->showNormal();
    KeepInsideArea(RunDialog);
    MdiArea->setActiveSubWindow(RunDialog);
}

// ---------------------------------------------------------------- enabling

void TMainForm::UpdateMenuItems() {
    if (!UpdateSheetMenuItems()) return;
    Experts1->setEnabled(!CurrentWindowFlags()[ExpertsActive] || ExpertsSheetMode != ExpertsDataView);
    Assessments1->setEnabled(CurrentWindowFlags()[ExpertsActive]);
    OpenExpertsWindow1->setEnabled(Experts1->isEnabled());
}

void TMainForm::File1Click() {
    if (Closing) return;
    const WindowFlagSet flags = CurrentWindowFlags();
    const bool anySheet = flags[RealisationsOpen] || flags[ExpertsOpen] || flags[ExpertItemsOpen];
    const bool modified = CaseFile.FileKinds[ItemsFileKind].Modified || CaseFile.FileKinds[ExpertsFileKind].Modified;
    SaveBtn->setEnabled(anySheet && modified);
    FileSaveItem->setEnabled(SaveBtn->isEnabled());
    FileCloseItem->setEnabled(!OpenChildren().isEmpty());
    FileSaveAsItem->setEnabled(anySheet);
}

void TMainForm::Edit1Click() {
    const WindowFlagSet flags = CurrentWindowFlags();
    ToggleEditormode1->setEnabled(true);
    auto apply = [&](const EditMenuState& s, bool experts) {
        FilterOnOff1->setEnabled(s.FilterOnOff);
        if (experts || !s.UndoCaption.empty()) UndoCtrlZ1->setText(Q(s.UndoCaption));
        UndoCtrlZ1->setEnabled(s.Undo);
        CutCntrlX1->setEnabled(s.Cut);
        ClearDel1->setEnabled(s.Clear);
        PasteCtrlV1->setEnabled(s.Paste);
        ToggleEditormode1->setEnabled(true);
        EnableFiltering1->setChecked(s.FilteringChecked);
    };
    if (flags[ExpertsActive] && ExpertsSheet) {
        ExpertsSheet->UpdateExpertsEditMenu();
        apply(ExpertsSheet->EditMenu, true);
    } else if (flags[RealisationsActive] && Realisations()) {
        Realisations()->UpdateItemsEditMenu();
        apply(Realisations()->EditMenu, false);
    } else {
        ToggleEditormode1->setEnabled(false);
        FilterOnOff1->setEnabled(false);
        DisableEditItems();
    }
    EnableFiltering1->setEnabled(flags[ExpertsActive] || flags[RealisationsActive]);
}

void TMainForm::Window1Click() {
    if (Closing) return;
    EnableArrangingCommands();
    OpenItemsWindow1->setEnabled(!CurrentWindowFlags()[RealisationsActive]);
    OpenExpertsWindow1->setEnabled(Experts1->isEnabled());
}

// ---------------------------------------------------------------- File menu

void TMainForm::FileCloseItemClick() {
    if (QMdiSubWindow* w = MdiArea->activeSubWindow()) w->close();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // Every child is asked first; a Cancel keeps the program running with every window.
    SheetGrid::StoreEditors(MdiArea);
    if (!ChildrenAgreeToClose()) {
        event->ignore();
        return;
    }
    Closing = true;
    CloseChildren();
    SaveRestorePath(false);
    event->accept();
}

// ---------------------------------------------------------------- the sheets

void TMainForm::OpenItemsWindow1Click() {
    ActiveExpert = nullptr;
    if (CurrentWindowFlags()[RealisationsOpen] && Realisations()) {
        if (CurrentWindowFlags()[RealisationsActive]) return;
        ItemsLayoutMode = ItemsSheetMode;
        ItemsTextOutput = 0;
        ItemsSheetMode = ItemsDataView;
        BringToFront(Realisations());
        return;
    }
    ItemsSheetMode = ItemsDataView;
    ItemsTextOutput = 0;
    if (ExpertTable[1])
        CreateItemsSheet();
    else
        MakeNewItemsForm();
}

void TMainForm::Experts1Click() {
    OpenExpertsWindow1Click();
}

void TMainForm::OpenExpertsWindow1Click() {
    if (CurrentWindowFlags()[ExpertsOpen] && ExpertsSheet) {
        if (ExpertsSheetMode != ExpertsDataView) {
            ExpertsSheetMode = ExpertsDataView;
            ExpertsSheet->FormPaint();
        }
        BringToFront(ExpertsSheet);
    } else {
        if (!ExpertTable[1]) InsertExpert("", "", 1);
        AnswerColumnCount = CountItems();
        CreateExpertsSheet();
    }
    update();
}

void TMainForm::Assessments1Click() {
    if (CurrentWindowFlags()[ExpertsActive] && ExpertsSheet) ExpertsSheet->OpenExpertItemsSheet();
}

void TMainForm::CalculateItemClick() {
    Calculate();
}

// ---------------------------------------------------------------- Edit menu

void TMainForm::UndoCtrlZ1Click() {
    ForwardToActiveSheet(
        [](TExpertsSheet& s) {
            s.UndoExperts();
            s.FormPaint();
        },
        [](TItemsSheet& s) {
            s.UndoItems();
            s.FormPaint();
        });
}

void TMainForm::CutCntrlX1Click() {
    ForwardToActiveSheet(
        [](TExpertsSheet& s) {
            s.DeleteExpertRows(MakeSheetKey(vk::X, true));
            s.FormPaint();
        },
        [](TItemsSheet& s) {
            s.DeleteItemRows(MakeSheetKey(vk::X, true));
            s.FormPaint();
        });
}

void TMainForm::ClearDel1Click() {
    ForwardToActiveSheet(
        [](TExpertsSheet& s) {
            s.DeleteExpertRows(MakeSheetKey(vk::Delete));
            s.FormPaint();
        },
        [](TItemsSheet& s) {
            s.DeleteItemRows(MakeSheetKey(vk::Delete));
            s.FormPaint();
        });
}

void TMainForm::PasteCtrlV1Click() {
    ForwardToActiveSheet(
        [](TExpertsSheet& s) {
            s.PasteExpertRows(MakeSheetKey(vk::V, true));
            s.FormPaint();
        },
        [](TItemsSheet& s) {
            s.PasteItemRows(MakeSheetKey(vk::V, true));
            s.FormPaint();
        });
}

void TMainForm::ToggleEditormode1Click() {
    ForwardToActiveSheet([](TExpertsSheet& s) { s.ToggleExpertsEditorMode(); },
                         [](TItemsSheet& s) { s.ToggleItemsEditorMode(); });
    Edit1Click();
}

void TMainForm::EnableFiltering1Click() {
    ForwardToActiveSheet([](TExpertsSheet& s) { s.EnableExpertsFiltering(); },
                         [](TItemsSheet& s) { s.EnableItemsFiltering(); });
}

void TMainForm::FilterOnOff1Click() {
    ForwardToActiveSheet(
        [](TExpertsSheet& s) {
            s.ToggleExpertsFilter();
            s.FormPaint();
        },
        [](TItemsSheet& s) {
            s.ToggleItemsFilter();
            s.FormPaint();
        });
}

void TMainForm::Changefloatingpointformat1Click() {
    auto* dlg = new TFlpointDlg(this, FieldWidth, DecimalPlaces, FloatFormat, [] {
        ItemsLayoutMode = NewLayout;
        for (TItemsSheet* s : ChildSheets)
            if (s) s->FormPaint();
        if (ExpertsSheet) {
            ExpertsLayoutMode = NewLayout;
            ExpertsSheet->FormPaint();
        }
    });
    dlg->show();
}

// ---------------------------------------------------------------- Window and Help menus

void TMainForm::HelpAboutItemClick() {
    HelpFile = "Halvorine.hlp";
    if (!Platform->ShowHelp(HelpFile))
        Platform->Message(platform::MessageKind::Error, "Help file " + HelpFile + " was not found beside the program",
                          platform::Buttons::Ok);
}

}  // namespace trindel
