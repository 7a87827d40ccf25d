// A bare frame with an MDI area, scripted prompts and a small two-expert case in the tables.
#pragma once

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/case_builder.h"
#include "engine/globals.h"
#include "engine/tables.h"
#include "platform/testing/scripted_prompts.h"
#include "ui_test_support.h"
#include "window_cleanup.h"
#include "workbench/experts_sheet.h"
#include "workbench/items_sheet.h"
#include "workbench/sheet_windows.h"
#include "workbench/window_state.h"

using namespace halvorine;

class SheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        ResetWindowState();
        Platform = &prompts;
        frame = std::make_unique<QMainWindow>();
        area = new QMdiArea;
        area->setObjectName(QStringLiteral("MdiArea"));
        frame->setCentralWidget(area);
        test_support::ShowMainWindow(frame.get(), QSize(1100, 700));
    }

    void TearDown() override {
        DeleteSheetWindows(area);
        frame.reset();
        ForgetSheets();
        FreeExpertsUndo();
        FreeItemsUndo();
        ResetGlobals();
        ResetWindowState();
        Platform = nullptr;
    }

    // Levels 5/50/95; items Q1 (UNI, realisation 12.5, "Flow rate") and Q2 (LOG, none,
    // "Depth"); experts Anna ("Anna Berg") and Bo.
    void BuildTwoExpertCase() {
        testcase::SetLevels({5, 50, 95});
        testcase::AddItem("Q1", "UNI", 12.5f)->Name = "Flow rate";
        testcase::AddItem("Q2", "LOG")->Name = "Depth";
        testcase::AddExpert("Anna", {{1, 10, 100}, {0.5f, 2, 8}})->Name = "Anna Berg";
        testcase::AddExpert("Bo", {{2, 20, 200}, {}});
        CaseFile.CaseName = "study";
    }

    // A child window of the area shown and made the active one, as the frame opens its windows.
    template <class Window>
    Window* ShowChild(Window* w) {
        w->show();
        area->setActiveSubWindow(w);
        QApplication::processEvents();
        return w;
    }

    TExpertsSheet* OpenExperts() { return ShowChild(new TExpertsSheet(area)); }

    TItemsSheet* OpenRealisations() {
        ActiveExpert = nullptr;
        return ShowChild(new TItemsSheet(area, nullptr));
    }

    static void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { test_support::KeyToFocus(key, mods); }

    static std::vector<std::string> RowTexts(GridSource& g, int row) {
        std::vector<std::string> out;
        for (int c = 0; c < g.GridCols(); ++c) out.push_back(g.CellText(c, row));
        return out;
    }

    platform::ScriptedPrompts prompts;
    std::unique_ptr<QMainWindow> frame;
    QMdiArea* area = nullptr;
};
