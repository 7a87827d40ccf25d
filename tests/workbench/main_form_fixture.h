// The program's main window on scripted prompts, in a scratch folder that also stands in for
// the program's own folder (so the settings file lands there).
#pragma once

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "engine/case_builder.h"
#include "engine/case_files.h"
#include "engine/globals.h"
#include "engine/tables.h"
#include "platform/temp_folder.h"
#include "platform/testing/scripted_prompts.h"
#include "ui_test_support.h"
#include "window_cleanup.h"
#include "workbench/case_state.h"
#include "workbench/experts_sheet.h"
#include "workbench/items_sheet.h"
#include "workbench/main_form.h"
#include "workbench/quantiles_form.h"
#include "workbench/services.h"
#include "workbench/sheet_windows.h"
#include "workbench/window_state.h"

using namespace halvorine;

class MainFormTest : public platform_test::ScratchTest {
protected:
    void SetUp() override {
        ScratchTest::SetUp();
        ResetGlobals();
        ResetWindowState();
        programFolder = UseProgramFolder("bin");
        MakeForm();
    }

    void TearDown() override {
        // A service a test replaced may hold the test's state: the real ones close the windows.
        WireServices();
        DropForm();
        FreeExpertsUndo();
        FreeItemsUndo();
        ResetGlobals();
        ResetWindowState();
        Platform = nullptr;
        ScratchTest::TearDown();
    }

    void MakeForm() {
        form = std::make_unique<TMainForm>(&prompts);
        test_support::ShowMainWindow(form.get());
    }

    void DropForm() {
        if (!form) return;
        DeleteSheetWindows(form->MdiArea);
        form.reset();
        ForgetSheets();
    }

    // As after closing the program and starting it again: no form, no case, no undo, a new form.
    void FreshProgram() {
        DropForm();
        FreeExpertsUndo();
        FreeItemsUndo();
        ResetGlobals();
        ResetWindowState();
        MakeForm();
    }

    // A copy of the example case in the scratch folder; returns the path of its file `ext`.
    std::string CopyExample(const std::string& ext, const std::string& stem = "STORM") {
        for (const char* e : {".dtt", ".rls"})
            std::filesystem::copy_file(std::string(EXAMPLES_DIR) + "/STORM" + e, root_ / (stem + e),
                                       std::filesystem::copy_options::overwrite_existing);
        return (root_ / (stem + ext)).string();
    }

    static std::string Fixture(const std::string& name) { return std::string(FIXTURES_DIR) + "/mainwindow/" + name; }

    // Opens the case of `path` through the Open command.
    void OpenThrough(const std::string& path) {
        prompts.QueueOpenFile(path);
        form->OpenCase();
        QApplication::processEvents();
    }

    // The modal levels dialog the next command shows is answered with OK or Cancel.
    static void AnswerLevelsDialog(bool ok) {
        QTimer::singleShot(0, [ok] {
            auto* dialog = qobject_cast<TQuantilesForm*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr) << "no levels dialog came up";
            if (ok)
                dialog->OkButtonClick();
            else
                dialog->CancelButtonClick();
        });
    }

    // A new case with its realisations sheet and, after the levels dialog, its experts sheet.
    void NewCaseWithExperts() {
        form->MakeNewItemsForm();
        AnswerLevelsDialog(true);
        form->OpenExpertsWindow1Click();
        QApplication::processEvents();
    }

    QAction* Action(const char* name) const { return test_support::FrameAction(form.get(), name); }
    QMenu* Menu(const char* name) const { return test_support::FrameMenu(form.get(), name); }

    // What opening every menu would show: the enabling as it runs on a window change and
    // when each menu opens.
    void RefreshMenus() {
        form->UpdateMenuItems();
        emit Menu("File1")->aboutToShow();
        emit Menu("Edit1")->aboutToShow();
        emit Menu("Window1")->aboutToShow();
    }

    platform::ScriptedPrompts prompts;
    std::unique_ptr<TMainForm> form;
    std::string programFolder;
};
