// WTrindel's main window on scripted prompts, in a scratch folder that is also the current
// directory and stands in for the program's folder (the settings file lands there).
#pragma once

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "pairwise/model/globals.h"
#include "pairwise/model/tables.h"
#include "pairwise/ui/experts_sheet.h"
#include "pairwise/ui/items_sheet.h"
#include "pairwise/ui/main_form.h"
#include "pairwise/ui/run_dialog.h"
#include "pairwise/ui/window_state.h"
#include "platform/temp_folder.h"
#include "platform/testing/scripted_prompts.h"
#include "ui_test_support.h"

using namespace trindel;

class TrindelTest : public platform_test::ScratchTest {
protected:
    void SetUp() override {
        ScratchTest::SetUp();
        std::filesystem::current_path(root_);
        ResetGlobals();
        programFolder = UseProgramFolder("bin");
        prompts.SetShortDate("24/05/2024");
        MakeForm();
    }

    void TearDown() override {
        DropForm();
        FreeExpertsUndo();
        FreeItemsUndo();
        ResetGlobals();
        Platform = nullptr;
        RandomNumbers = nullptr;
        ScratchTest::TearDown();
    }

    void MakeForm() {
        form = std::make_unique<TMainForm>(&prompts);
        RandomNumbers = &prompts;
        test_support::ShowMainWindow(form.get());
    }

    void DropForm() { form.reset(); }

    static std::string Fixture(const std::string& name) { return std::string(FIXTURES_DIR) + "/pairwise/" + name; }

    // Copies of the fixture case `stem` (its .iy and .ey, those that exist) into the scratch
    // folder under `as`; returns the path of the copy with extension `ext`.
    std::string CopyCase(const std::string& stem, const std::string& as, const std::string& ext = ".ey") {
        for (const char* e : {".iy", ".ey"}) {
            const std::string from = Fixture(stem + e);
            if (std::filesystem::exists(from))
                std::filesystem::copy_file(from, root_ / (as + e), std::filesystem::copy_options::overwrite_existing);
        }
        return (root_ / (as + ext)).string();
    }

    void OpenThrough(const std::string& path) {
        prompts.QueueOpenFile(path);
        Action("OpenASCIIItemsfle1")->trigger();
        QApplication::processEvents();
    }

    // The frame's menu items, speed buttons and menus, by the names its builders give them.
    QAction* Action(const char* name) const { return test_support::FrameAction(form.get(), name); }
    QMenu* Menu(const char* name) const { return test_support::FrameMenu(form.get(), name); }

    static void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { test_support::KeyToFocus(key, mods); }

    // Types text into the open editor of cell (col, row) and commits it with Tab.
    static void TypeAt(SheetGrid* grid, int col, int row, const char* text) {
        grid->SetCursor(col, row);
        QApplication::processEvents();
        ASSERT_TRUE(grid->EditorOpen());
        QTest::keyClicks(QApplication::focusWidget(), text);
        Key(Qt::Key_Tab);
    }

    TItemsSheet* ComparisonsSheet() const {
        for (TItemsSheet* s : ChildSheets)
            if (s && s->IsComparisons()) return s;
        return nullptr;
    }

    platform::ScriptedPrompts prompts;
    std::unique_ptr<TMainForm> form;
    std::string programFolder;
};
