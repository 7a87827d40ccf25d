#include "common/ui/main_frame.h"

#include "common/ui/sheet_window.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>

#include "common/core/pascal_str.h"
#include "common/ui/mdi_frame.h"
#include "common/ui/sheet_grid.h"
#include "platform/qt/qt_prompts.h"

TMainFrame::TMainFrame(platform::Prompts* prompts, const char* settingsFile) : settingsFile_(settingsFile) {
    if (!prompts) {
        ownPrompts_ = std::make_unique<platform::QtPrompts>(this);
        prompts = ownPrompts_.get();
    }
    prompts_ = prompts;
    SetUpArea();
}

void TMainFrame::SetUpArea() {
    setObjectName(QStringLiteral("MainForm"));
    MdiArea = new QMdiArea(this);
    MdiArea->setObjectName(QStringLiteral("MdiArea"));
    MdiArea->setBackground(palette().brush(QPalette::Dark));
    setCentralWidget(MdiArea);
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    setStatusBar(StatusBar);
}

TMainFrame::~TMainFrame() = default;

void TMainFrame::SaveRestorePath(bool read) {
    if (read) {
        const std::string line = platform::ReadSettingsLine(settingsFile_);
        if (!line.empty()) ExpertFileOpenDialog.FileName = line;
        return;
    }
    platform::WriteSettingsLine(settingsFile_, CasePath());
}

void TMainFrame::FollowActivation() {
    connect(MdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) { UpdateMenuItems(); });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget*) { UpdateMenuItems(); });
    // The menus start in step even when the frame is never activated (no window manager).
    UpdateMenuItems();
}

void TMainFrame::StopFollowingActivation() {
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    disconnect(MdiArea, nullptr, this, nullptr);
}

QAction* TMainFrame::NewMenuItem(QMenu* menu, const char* name, const char* caption, const char* hint) {
    QAction* a = menu->addAction(QString::fromLatin1(caption));
    a->setObjectName(QString::fromLatin1(name));
    if (hint) a->setStatusTip(QString::fromLatin1(hint));
    return a;
}

QMenu* TMainFrame::AddMenu(const char* name, const char* caption, const char* hint) {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* m = bar->addMenu(QString::fromLatin1(caption));
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    if (hint) m->menuAction()->setStatusTip(QString::fromLatin1(hint));
    return m;
}

QAction* TMainFrame::NewBarCommand(const char* name, const char* caption) {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    QAction* a = bar->addAction(QString::fromLatin1(caption));
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

void TMainFrame::MakeSpeedPanel() {
    SpeedPanel = addToolBar(QStringLiteral("SpeedPanel"));
    SpeedPanel->setObjectName(QStringLiteral("SpeedPanel"));
    SpeedPanel->setMovable(false);
    SpeedPanel->setIconSize(QSize(16, 16));
}

QAction* TMainFrame::AddSpeedButton(const char* name, QStyle::StandardPixmap icon, const char* hint) {
    QAction* a = SpeedPanel->addAction(style()->standardIcon(icon), QString::fromLatin1(hint));
    a->setObjectName(QString::fromLatin1(name));
    a->setToolTip(QString::fromLatin1(hint));
    a->setStatusTip(QString::fromLatin1(hint));
    return a;
}

void TMainFrame::AddCaseOpenItems() {
    File1 = AddMenu("File1", "&File", "File related commands");
    NewItemFileClick = AddItem(File1, "NewItemFileClick", "&New Case", &TMainFrame::NewItemFileClickClick,
                               "Create a new case file (.rls)");
    OpenASCIIItemsfle1 = AddItem(File1, "OpenASCIIItemsfle1", "&Open Case", &TMainFrame::OpenASCIIItemsfle1Click,
                                 "Open Case file (.rls & .dtt)");
}

void TMainFrame::AddCaseSaveItems() {
    FileCloseItem = AddItem(File1, "FileCloseItem", "&Close", &TMainFrame::FileCloseItemClick, "Close current file");
    FileSaveItem = AddItem(File1, "FileSaveItem", "&Save Case", &TMainFrame::FileSaveItemClick, "Save current files");
    FileSaveAsItem = AddItem(File1, "FileSaveAsItem", "Save &As...", &TMainFrame::FileSaveAsItemClick,
                             "Save current file as...");
}

void TMainFrame::AddExitItem() {
    File1->addSeparator();
    FileExitItem = AddItem(File1, "FileExitItem", "E&xit", &TMainFrame::FileExitItemClick, "Exit the application");
}

void TMainFrame::AddSheetCommands(const char* assessmentsCaption) {
    Items1 = AddBarCommand("Items1", "&Items", &TMainFrame::Items1Click);
    Experts1 = AddBarCommand("Experts1", "E&xperts", &TMainFrame::Experts1Click);
    Assessments1 = AddBarCommand("Assessments1", assessmentsCaption, &TMainFrame::Assessments1Click);
}

void TMainFrame::AddEditItems(const char* editorModeCaption, const char* filteringCaption) {
    Edit1 = AddMenu("Edit1", "&Edit");
    UndoCtrlZ1 = AddItem(Edit1, "UndoCtrlZ1", "&Undo (Ctrl-Z)", &TMainFrame::UndoCtrlZ1Click);
    CutCntrlX1 = AddItem(Edit1, "CutCntrlX1", "&Cut (Ctrl-X)", &TMainFrame::CutCntrlX1Click);
    ClearDel1 = AddItem(Edit1, "ClearDel1", "C&lear (Del)", &TMainFrame::ClearDel1Click);
    PasteCtrlV1 = AddItem(Edit1, "PasteCtrlV1", "&Paste (Ctrl-V)", &TMainFrame::PasteCtrlV1Click);
    ToggleEditormode1 = AddItem(Edit1, "ToggleEditormode1", editorModeCaption, &TMainFrame::ToggleEditormode1Click);
    Edit1->addSeparator();
    EnableFiltering1 = AddItem(Edit1, "EnableFiltering1", filteringCaption, &TMainFrame::EnableFiltering1Click);
    EnableFiltering1->setCheckable(true);
    FilterOnOff1 = AddItem(Edit1, "FilterOnOff1", "&Filter Experts/Items (F4)", &TMainFrame::FilterOnOff1Click);
    Edit1->addSeparator();
    Changefloatingpointformat1 = AddItem(Edit1, "Changefloatingpointformat1", "Change &floating point format",
                                         &TMainFrame::Changefloatingpointformat1Click);
}

void TMainFrame::AddWindowMenu() {
    Window1 = AddMenu("Window1", "&Window", "Window related commands such as Tile and Cascade");
    WindowCascadeItem = AddItem(Window1, "WindowCascadeItem", "&Cascade", &TMainFrame::WindowCascadeItemClick,
                                "Arrange windows to overlap");
    WindowTileItem = AddItem(Window1, "WindowTileItem", "&Tile", &TMainFrame::WindowTileItemClick,
                             "Arrange windows without overlap");
    WindowArrangeItem = AddItem(Window1, "WindowArrangeItem", "&Arrange Icons", &TMainFrame::WindowArrangeItemClick,
                                "Arrange window icons at bottom of main window");
    WindowMinimizeItem = AddItem(Window1, "WindowMinimizeItem", "&Minimize All", &TMainFrame::WindowMinimizeItemClick,
                                 "Minimize all windows");
    CloseAllWindows = AddItem(Window1, "CloseAllWindows", "Clo&se All", &TMainFrame::CloseAllWindowsClick);
    OpenExpertsWindow1 = AddItem(Window1, "OpenExpertsWindow1", "Open &Experts Window",
                                 &TMainFrame::OpenExpertsWindow1Click);
    OpenItemsWindow1 = AddItem(Window1, "OpenItemsWindow1", "Open Items Window", &TMainFrame::OpenItemsWindow1Click);
}

void TMainFrame::AddCaseSpeedButtons() {
    MakeSpeedPanel();
    NewFileButton = AddSpeedButton("NewFileButton", QStyle::SP_FileIcon, "New Case", &TMainFrame::NewFileButtonClick);
    OpenBtn = AddSpeedButton("OpenBtn", QStyle::SP_DialogOpenButton, "Open Case File",
                             &TMainFrame::OpenASCIIItemsfle1Click);
    SaveBtn = AddSpeedButton("SaveBtn", QStyle::SP_DialogSaveButton, "Save", &TMainFrame::FileSaveItemClick);
    RunButton = AddSpeedButton("RunButton", QStyle::SP_MediaPlay, "Calculate", &TMainFrame::CalculateItemClick);
    SaveBtn->setEnabled(false);
    RunButton->setEnabled(false);
}

void TMainFrame::AddExitButton() {
    ExitBtn = AddSpeedButton("ExitBtn", QStyle::SP_DialogCloseButton, "Exit", &TMainFrame::FileExitItemClick);
}

void TMainFrame::EnableArrangingCommands() {
    const bool any = !OpenChildren().isEmpty();
    for (QAction* a : {WindowCascadeItem, WindowTileItem, WindowArrangeItem, WindowMinimizeItem}) a->setEnabled(any);
}

void TMainFrame::DisableEditItems() {
    for (QAction* a : {CutCntrlX1, ClearDel1, PasteCtrlV1, UndoCtrlZ1}) a->setEnabled(false);
    update();
}

void TMainFrame::ShowFilterChecked(bool checked) {
    EnableFiltering1->setChecked(checked);
}

void TMainFrame::ShowLoadError(const std::string& kind, const std::string& path, int line) {
    Tell("Failed to load " + kind + " file " + path + ". Check if this file exists and has proper format, at line " +
         StrInt(line));
}

void TMainFrame::ShowStatusHint(const QString& hint) {
    StatusBar->showMessage(hint);
}

bool TMainFrame::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        ShowStatusHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    if (event->type() == QEvent::WindowActivate) FrameActivated();
    return QMainWindow::event(event);
}

QList<QMdiSubWindow*> TMainFrame::OpenChildren() const {
    return OpenChildWindows(MdiArea);
}

bool TMainFrame::ChooseSaveTarget(bool& asNew, std::string& caseFileName) {
    SheetGrid::StoreEditors(MdiArea);
    const std::string name = CaseName();
    // A case begun without New or Open has no name either: it is never written as a bare extension.
    if (CasePath().empty() || name.empty() || name == "NONAME") {
        SaveDialog1.FileName.clear();
        asNew = true;
    } else {
        SaveDialog1.FileName = name;
    }
    caseFileName = CasePath();
    if (!asNew) return true;
    SaveDialog1.Filter = SheetFlags()[RealisationsActive] ? ItemsFileOpenDialog.Filter : ExpertFileOpenDialog.Filter;
    return ChooseCaseFile(SaveDialog1, caseFileName);
}

bool TMainFrame::UpdateSheetMenuItems() {
    if (Closing) return false;
    const WindowFlagSet flags = SheetFlags();
    File1Click();
    CalculateItem->setEnabled(flags[ExpertsOpen]);
    RunButton->setEnabled(flags[ExpertsOpen]);
    Edit1->menuAction()->setEnabled(flags[ExpertsActive] || flags[RealisationsActive] || flags[ExpertItemsActive]);
    Edit1Click();
    Window1Click();
    Items1->setEnabled(OpenItemsWindow1->isEnabled());
    return true;
}

void TMainFrame::RepaintChildWindows() {
    const QList<QMdiSubWindow*> children = OpenChildren();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        if (auto* sheet = qobject_cast<TSheetWindow*>(*it)) sheet->FormPaint();
        (*it)->update();
    }
}

bool TMainFrame::CloseInTurn(const QList<QPointer<QMdiSubWindow>>& windows, bool stopAtRefusal) {
    bool refused = false;
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        QMdiSubWindow* w = *it;
        if (!w || w->isHidden()) continue;  // went with another window
        if (w->close()) continue;
        if (stopAtRefusal) return false;
        refused = true;
    }
    return !refused;
}

void TMainFrame::BringToFront(QMdiSubWindow* window) {
    BringChildToFront(MdiArea, window);
}

void TMainFrame::NewItemFileClickClick() {
    MakeNewItemsForm();
}

void TMainFrame::NewFileButtonClick() {
    if (CloseChildren()) MakeNewItemsForm();
}

void TMainFrame::OpenASCIIItemsfle1Click() {
    OpenCase();
}

void TMainFrame::FileSaveItemClick() {
    FileSave(false);
}

void TMainFrame::FileSaveAsItemClick() {
    FileSave(true);
}

void TMainFrame::Items1Click() {
    OpenItemsWindow1Click();
}

void TMainFrame::FileExitItemClick() {
    close();
}

void TMainFrame::WindowCascadeItemClick() {
    MdiArea->cascadeSubWindows();
}

void TMainFrame::WindowTileItemClick() {
    TileChildren(MdiArea);
}

void TMainFrame::WindowArrangeItemClick() {
    ArrangeChildIcons(MdiArea);
}

void TMainFrame::WindowMinimizeItemClick() {
    MinimizeAllChildren(MdiArea);
}

void TMainFrame::CloseAllWindowsClick() {
    CloseChildren();
}
