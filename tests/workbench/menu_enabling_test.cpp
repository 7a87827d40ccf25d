// Which menu items and speed buttons are usable with which windows open, the Edit menu on
// the active sheet, and the window commands.
#include "main_form_fixture.h"
#include "workbench/window_state.h"

#include <QDialog>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>

#include <iostream>
#include <sstream>

namespace {

struct Row {
    const char* name;
    const char* expected;  // one character per stage: 1 enabled, 0 disabled
};

// Stages: fresh start, realisations sheet (a new case), experts sheet (after the levels
// prompt), an expert's assessments sheet, experts sheet with a modified case.
const char* const Stages[] = {"start", "realisations", "experts", "assessments", "modified"};

const Row Rows[] = {
    {"NewItemFileClick", "11111"},
    {"OpenASCIIItemsfle1", "11111"},
    {"MergeAssessmentsFile1", "01111"},
    {"FileCloseItem", "01111"},
    {"FileSaveItem", "00001"},
    {"FileSaveAsItem", "01111"},
    {"SaveRangeGraph1", "00000"},
    {"Exportastext1", "01111"},
    {"DMSolution1", "00000"},
    {"ExpertScores", "00000"},
    {"RobustnessExperts1", "00000"},
    {"RobustnessItems1", "00000"},
    {"CopySolutionToClipboard1", "00000"},
    {"Questionnaire1", "01111"},
    {"ExportAsSpaceDelimited", "01111"},
    {"Quantiles1", "01111"},
    {"FileExitItem", "11111"},
    {"Items1", "10111"},
    {"Experts1", "11111"},
    {"Assessments1", "11111"},
    {"Edit1", "01111"},
    {"UndoCtrlZ1", "00000"},
    {"CutCntrlX1", "00000"},
    {"ClearDel1", "00000"},
    {"PasteCtrlV1", "00000"},
    {"ToggleEditormode1", "01101"},
    {"EnableFiltering1", "00000"},
    {"FilterOnOff1", "00000"},
    {"Changefloatingpointformat1", "11111"},
    {"ChangeallscalestoUNI1", "01000"},
    {"ChangeallscalestoLOG1", "01000"},
    {"ClearallUserWeights1", "00000"},
    {"CalculateItem", "00111"},
    {"WindowCascadeItem", "01111"},
    {"WindowTileItem", "01111"},
    {"WindowArrangeItem", "01111"},
    {"WindowMinimizeItem", "01111"},
    {"CloseAllWindows", "11111"},
    {"OpenExpertsWindow1", "11111"},
    {"OpenItemsWindow1", "10111"},
    {"RunWTrindel1", "11111"},
    {"AboutWHALVORIN1", "11111"},
    {"WHALVORINHelp1", "11111"},
    {"SaveBtn", "00001"},
    {"RunButton", "00111"},
    {"NewFileButton", "11111"},
    {"OpenBtn", "11111"},
    {"ExitBtn", "11111"},
};

TEST_F(MainFormTest, MenuItemsFollowTheOpenWindows) {
    std::vector<std::string> seen(std::size(Rows));
    auto record = [&] {
        RefreshMenus();
        for (std::size_t i = 0; i < std::size(Rows); ++i) seen[i] += Action(Rows[i].name)->isEnabled() ? '1' : '0';
    };
    record();
    form->MakeNewItemsForm();
    record();
    AnswerLevelsDialog(true);
    form->OpenExpertsWindow1Click();
    QApplication::processEvents();
    record();
    ExpertTable[1]->Id = "E1";
    form->Assessments1Click();
    QApplication::processEvents();
    ASSERT_NE(ChildSheets[1], nullptr);
    record();
    form->OpenExpertsWindow1Click();
    QApplication::processEvents();
    CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
    record();

    std::ostringstream table;
    table << "| item |";
    for (const char* s : Stages) table << ' ' << s << " |";
    table << "\n|---|---|---|---|---|---|\n";
    for (std::size_t i = 0; i < std::size(Rows); ++i) {
        table << "| " << Rows[i].name << " |";
        for (char c : seen[i]) table << (c == '1' ? " on |" : " off |");
        table << '\n';
        EXPECT_EQ(seen[i], Rows[i].expected) << Rows[i].name;
    }
    // The whole table only when a state is wrong: it shows which stage differs at a glance.
    if (HasFailure()) std::cout << table.str();
    EXPECT_FALSE(Action("PrintButton")->isVisible());
    EXPECT_FALSE(Action("GraphicsButton")->isVisible());
}

TEST_F(MainFormTest, MenuCaptionsAndHints) {
    const struct {
        const char* name;
        const char* caption;
        const char* hint;
    } items[] = {
        {"File1", "&File", "File related commands"},
        {"NewItemFileClick", "&New Case", "Create a new case file (.rls)"},
        {"OpenASCIIItemsfle1", "&Open Case", "Open Case file (.rls & .dtt)"},
        {"FileCloseItem", "&Close", "Close current file"},
        {"FileSaveItem", "&Save Case", "Save current files"},
        {"FileSaveAsItem", "Save &As...", "Save current file as..."},
        {"FileExitItem", "E&xit", "Exit the application"},
        {"Window1", "&Window", "Window related commands such as Tile and Cascade"},
        {"WindowCascadeItem", "&Cascade", "Arrange windows to overlap"},
        {"WindowTileItem", "&Tile", "Arrange windows without overlap"},
        {"WindowArrangeItem", "&Arrange Icons", "Arrange window icons at bottom of main window"},
        {"WindowMinimizeItem", "&Minimize All", "Minimize all windows"},
        {"WHALVORINHelp1", "HALVORINE &Help", "Help topics"},
        {"NewFileButton", "New Case", "New Case"},
        {"OpenBtn", "Open Case File", "Open Case File"},
        {"SaveBtn", "Save", "Save"},
        {"RunButton", "Calculate", "Calculate"},
        {"ExitBtn", "Exit", "Exit"},
        {"Exportastext1", "Export as te&xt", ""},
        {"ExportAsSpaceDelimited", "&Export as space delimited", ""},
        {"RunWTrindel1", "Run &WTrindel", ""},
        {"AboutWHALVORIN1", "&About HALVORINE", ""},
        {"Changefloatingpointformat1", "Change &floating point format", ""},
    };
    for (const auto& i : items) {
        QAction* a = Action(i.name);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text().toStdString(), i.caption) << i.name;
        EXPECT_EQ(a->statusTip().toStdString(), i.hint) << i.name;
        EXPECT_TRUE(a->shortcut().isEmpty()) << i.name << " has no shortcut of its own";
    }
    // The menu bar in its order, the four commands among the menus.
    QStringList bar;
    for (QAction* a : form->menuBar()->actions()) bar << a->text();
    EXPECT_EQ(bar,
              (QStringList{"&File", "&Items", "E&xperts", "&Assessments", "&Edit", "&Calculate", "&Window", "&Help"}));
    form->ShowStatusHint(QStringLiteral("Help topics"));
    EXPECT_EQ(form->StatusBar->currentMessage(), "Help topics");
}

TEST_F(MainFormTest, TheEditMenuActsOnTheActiveSheet) {
    form->MakeNewItemsForm();
    ItemTable[1]->Id = "Q1";
    InsertItem("Q2", "second", 2);
    ChildSheets[0]->Reload();
    RefreshMenus();
    EXPECT_EQ(Action("EnableFiltering1")->text(), "&Disable filtering (F5)");
    EXPECT_FALSE(Action("EnableFiltering1")->isEnabled()) << "editor mode";

    form->ToggleEditormode1Click();
    RefreshMenus();
    EXPECT_TRUE(Action("EnableFiltering1")->isEnabled()) << "row mode";
    EXPECT_FALSE(Action("EnableFiltering1")->isChecked());
    EXPECT_TRUE(Action("CutCntrlX1")->isEnabled());
    EXPECT_TRUE(Action("ClearDel1")->isEnabled());
    EXPECT_TRUE(Action("FilterOnOff1")->isEnabled());

    form->EnableFiltering1Click();
    RefreshMenus();
    EXPECT_FALSE(ItemsFilterEnabled);
    EXPECT_EQ(Action("EnableFiltering1")->text(), "&Enable filtering (F5)");

    ChildSheets[0]->SetCursorRow(2);
    prompts.QueueAnswer(platform::Answer::Yes);  // "Delete item row ?"
    form->ClearDel1Click();
    EXPECT_EQ(testcase::ItemIds(), std::vector<std::string>{"Q1"});
    RefreshMenus();
    EXPECT_TRUE(Action("UndoCtrlZ1")->isEnabled());
    EXPECT_EQ(Action("UndoCtrlZ1")->text(), "&Undo Del Items (Ctrl-Z)");
    form->UndoCtrlZ1Click();
    EXPECT_EQ(testcase::ItemIds(), (std::vector<std::string>{"Q1", "Q2"}));

    // The case-wide commands.
    form->ChangeallscalestoLOG1Click();
    EXPECT_EQ(ItemTable[1]->Scale.str(), "LOG");
    EXPECT_EQ(ItemTable[2]->Scale.str(), "LOG");
    EXPECT_TRUE(CaseFile.FileKinds[AssessmentsFileKind].Modified && CaseFile.FileKinds[ItemsFileKind].Modified);
    form->ChangeallscalestoUNI1Click();
    EXPECT_EQ(ItemTable[2]->Scale.str(), "UNI");
    RefreshMenus();
    EXPECT_TRUE(Action("SaveBtn")->isEnabled()) << "an edit enables Save at the next window change or menu";

    // No sheet of the Edit menu active: the commands do nothing.
    AnswerLevelsDialog(true);
    form->OpenExpertsWindow1Click();
    QApplication::processEvents();
    ExpertTable[1]->Id = "E1";
    form->Assessments1Click();
    QApplication::processEvents();
    ASSERT_TRUE(CurrentWindowFlags()[ExpertItemsActive]);
    form->ClearDel1Click();
    form->UndoCtrlZ1Click();
    EXPECT_EQ(testcase::ItemIds(), (std::vector<std::string>{"Q1", "Q2"}));
}

TEST_F(MainFormTest, WindowCommands) {
    form->MakeNewItemsForm();
    AnswerLevelsDialog(true);
    form->OpenExpertsWindow1Click();
    QApplication::processEvents();
    emit Menu("Window1")->aboutToShow();
    QStringList listed;
    QString checked;
    bool afterSeparator = false;
    for (QAction* a : Menu("Window1")->actions()) {
        if (a->isSeparator()) {
            afterSeparator = true;
            continue;
        }
        if (!afterSeparator) continue;
        listed << a->text();
        if (a->isChecked()) checked = a->text();
    }
    EXPECT_EQ(listed, (QStringList{"&1 " + ChildSheets[0]->windowTitle(), "&2 " + ExpertsSheet->windowTitle()}));
    EXPECT_EQ(checked, "&2 " + ExpertsSheet->windowTitle());

    form->WindowMinimizeItemClick();
    for (QMdiSubWindow* w : form->OpenChildren()) EXPECT_TRUE(w->isMinimized());
    // Scatter the icons, then line them up again along the bottom.
    ChildSheets[0]->move(300, 40);
    ExpertsSheet->move(310, 60);
    form->WindowArrangeItemClick();
    const QRect area = form->MdiArea->viewport()->rect();
    EXPECT_EQ(ChildSheets[0]->geometry().bottom(), area.bottom()) << "the first icon sits on the bottom";
    EXPECT_EQ(ChildSheets[0]->x(), 0);
    EXPECT_FALSE(ChildSheets[0]->geometry().intersects(ExpertsSheet->geometry()));
    EXPECT_TRUE(area.contains(ExpertsSheet->geometry()));
    for (QMdiSubWindow* w : form->OpenChildren()) w->showNormal();
    form->WindowTileItemClick();
    EXPECT_FALSE(ChildSheets[0]->geometry().intersects(ExpertsSheet->geometry())) << "tiled without overlap";

    prompts.QueueAnswer(platform::Answer::Yes);  // "Close the current case?"
    form->CloseAllWindowsClick();
    EXPECT_TRUE(form->OpenChildren().isEmpty());
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{"Close the current case?"});
    RefreshMenus();
    EXPECT_FALSE(Action("FileCloseItem")->isEnabled());
}

TEST_F(MainFormTest, SaveRangeGraphSavesAGraphThatIsOpen) {
    QMdiSubWindow* saved = nullptr;
    Services().SaveRangeGraph = [&saved](QMdiSubWindow* w) { saved = w; };
    RefreshMenus();
    EXPECT_FALSE(Action("SaveRangeGraph1")->isEnabled());
    auto* graph = new QMdiSubWindow;
    form->MdiArea->addSubWindow(graph);
    graph->show();
    ItemsRangeGraph = graph;
    RangeGraphKind = 1;  // the experts-wise graph is the current kind, but it is not open
    RefreshMenus();
    EXPECT_TRUE(Action("SaveRangeGraph1")->isEnabled());
    Action("SaveRangeGraph1")->trigger();
    EXPECT_EQ(saved, graph);
    WireServices();
}

TEST_F(MainFormTest, AboutTwiceOpensTwoBoxes) {
    Action("AboutWHALVORIN1")->trigger();
    Action("AboutWHALVORIN1")->trigger();
    const auto boxes = form->findChildren<QDialog*>(QStringLiteral("About"));
    ASSERT_EQ(boxes.size(), 2);
    for (QDialog* b : boxes) {
        EXPECT_TRUE(b->isVisible());
        auto* limits = b->findChild<QLabel*>(QStringLiteral("Label2"));
        ASSERT_NE(limits, nullptr);
        EXPECT_EQ(limits->text(), "(max 1000 experts / 1000 items supported)");
        EXPECT_EQ(b->findChild<QLabel*>(QStringLiteral("Label1"))->text(), "Halvorine v1.0");
    }
}

}  // namespace
