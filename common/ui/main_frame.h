// What the frames of both programs have in common: the MDI area and the status bar, the
// platform services the frame owns when nobody gives it any, the file choices kept between
// commands, the settings line beside the program, the status hints, the menu items and speed
// buttons both programs have (the case's File items, the sheet commands, the Edit and Window
// menus) with the commands that are the same in both, and the menu items that follow the active
// window.
// Each program's frame adds its own menus and commands and does the case commands its own way.
#pragma once

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QStyle>

#include <memory>
#include <string>

#include "common/core/window_flags.h"
#include "common/ui/guarded_app.h"
#include "platform/prompts.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QStatusBar;
class QToolBar;

class TMainFrame : public QMainWindow {
    Q_OBJECT
public:
    ~TMainFrame() override;

    QMdiArea* MdiArea = nullptr;
    QToolBar* SpeedPanel = nullptr;
    QStatusBar* StatusBar = nullptr;

    // The file choices, kept between commands as the dialogs keep their last file.
    platform::FileChoice ExpertFileOpenDialog;
    platform::FileChoice ItemsFileOpenDialog;
    platform::FileChoice SaveDialog1;

    std::string BaseCaption;
    bool Closing = false;
    std::string HelpFile;

    // read: the open dialog starts at the case named in the settings line; else the open
    // case's file is written there.
    void SaveRestorePath(bool read);
    void ShowStatusHint(const QString& hint);
    // The child windows that are open (shown, not closed), in the area's order.
    QList<QMdiSubWindow*> OpenChildren() const;
    // Every open sheet laid out and repainted, and every open child updated, the last first.
    void RepaintChildWindows();

    virtual bool CloseChildren() = 0;
    virtual void UpdateMenuItems() = 0;
    // The menus brought in step with the sheets, each program's own File, Edit and Window menus.
    virtual void File1Click() = 0;
    virtual void Edit1Click() = 0;
    virtual void Window1Click() = 0;

    // The Edit menu's row commands disabled, while no sheet takes them.
    void DisableEditItems();
    // The filtering switch of the Edit menu shows whether the active sheet filters.
    void ShowFilterChecked(bool checked);

    // ---- the case commands, each program's own ----
    virtual void MakeNewItemsForm() = 0;
    virtual void OpenCase() = 0;
    virtual void FileSave(bool asNew) = 0;
    // A case file that did not read: its kind, its path and the line where reading stopped.
    void ShowLoadError(const std::string& kind, const std::string& path, int line);

public slots:
    // The File menu and the speed buttons
    void NewItemFileClickClick();
    void NewFileButtonClick();
    void OpenASCIIItemsfle1Click();
    void FileSaveItemClick();
    void FileSaveAsItemClick();
    void FileExitItemClick();
    virtual void FileCloseItemClick() = 0;
    // The sheets
    void Items1Click();
    virtual void OpenItemsWindow1Click() = 0;
    virtual void Experts1Click() = 0;
    virtual void OpenExpertsWindow1Click() = 0;
    virtual void Assessments1Click() = 0;
    virtual void CalculateItemClick() = 0;
    // The Edit menu
    virtual void UndoCtrlZ1Click() = 0;
    virtual void CutCntrlX1Click() = 0;
    virtual void ClearDel1Click() = 0;
    virtual void PasteCtrlV1Click() = 0;
    virtual void ToggleEditormode1Click() = 0;
    virtual void EnableFiltering1Click() = 0;
    virtual void FilterOnOff1Click() = 0;
    virtual void Changefloatingpointformat1Click() = 0;
    // The Window menu
    void WindowCascadeItemClick();
    void WindowTileItemClick();
    void WindowArrangeItemClick();
    void WindowMinimizeItemClick();
    void CloseAllWindowsClick();

protected:
    // ---- the components both frames have, made by the builders below; tests find them by
    // their object names ----
    QMenu* File1 = nullptr;
    QAction* NewItemFileClick = nullptr;
    QAction* OpenASCIIItemsfle1 = nullptr;
    QAction* FileCloseItem = nullptr;
    QAction* FileSaveItem = nullptr;
    QAction* FileSaveAsItem = nullptr;
    QAction* FileExitItem = nullptr;
    QAction* Items1 = nullptr;
    QAction* Experts1 = nullptr;
    QAction* Assessments1 = nullptr;
    QMenu* Window1 = nullptr;
    QAction* WindowCascadeItem = nullptr;
    QAction* WindowTileItem = nullptr;
    QAction* WindowArrangeItem = nullptr;
    QAction* WindowMinimizeItem = nullptr;
    QAction* CloseAllWindows = nullptr;
    QAction* OpenExpertsWindow1 = nullptr;
    QAction* OpenItemsWindow1 = nullptr;
    QMenu* Edit1 = nullptr;
    QAction* UndoCtrlZ1 = nullptr;
    QAction* CutCntrlX1 = nullptr;
    QAction* ClearDel1 = nullptr;
    QAction* PasteCtrlV1 = nullptr;
    QAction* ToggleEditormode1 = nullptr;
    QAction* EnableFiltering1 = nullptr;
    QAction* FilterOnOff1 = nullptr;
    QAction* Changefloatingpointformat1 = nullptr;
    // Made by each program's frame: a command of the menu bar or a menu.
    QAction* CalculateItem = nullptr;
    QMenu* Help1 = nullptr;

    // Speed buttons of the tool bar.
    QAction* NewFileButton = nullptr;
    QAction* OpenBtn = nullptr;
    QAction* SaveBtn = nullptr;
    QAction* RunButton = nullptr;
    QAction* ExitBtn = nullptr;

    // prompts: the platform services to use (tests); null: the real ones, on this window.
    // settingsFile: the name of the one-line settings file beside the program.
    TMainFrame(platform::Prompts* prompts, const char* settingsFile);

    // The platform services this frame uses, its own or those it was given.
    platform::Prompts* Prompts() const { return prompts_; }
    bool OwnsPrompts(const platform::Prompts* prompts) const { return ownPrompts_ && prompts == ownPrompts_.get(); }
    // The file the settings line remembers.
    virtual std::string CasePath() const = 0;
    // An information message with OK, through the program's platform services.
    virtual void Tell(const std::string& text) = 0;
    // Which sheet is open and active: the program's WindowFlags.
    virtual WindowFlagSet SheetFlags() const = 0;
    // The case's name ("" or "NONAME": it has none of its own yet) and the program's Save As
    // choice of a new one, with its question before overwriting another case.
    virtual std::string CaseName() const = 0;
    virtual bool ChooseCaseFile(platform::FileChoice& choice, std::string& chosen) = 0;
    // The first step of Save and Save As: the case file to write to, false when the user cancels.
    // A case without a name of its own is saved as new (asNew becomes true), under a name chosen
    // with the filter of the active sheet's kind; the case takes that name only once written.
    bool ChooseSaveTarget(bool& asNew, std::string& caseFileName);
    // The part of UpdateMenuItems both programs share: the File, Edit and Window menus, and
    // the commands that follow which sheet is open and active; false while the frame closes.
    bool UpdateSheetMenuItems();
    // The frame became the active window.
    virtual void FrameActivated() { UpdateMenuItems(); }

    // The menu items follow the active child and the focus from now on, and are put in step.
    void FollowActivation();
    void StopFollowingActivation();

    bool event(QEvent* event) override;
    void BringToFront(QMdiSubWindow* window);
    // Closes the windows, the last first, passing over any that has gone with another; true
    // when none refused. stopAtRefusal: the closing ends at the first that refuses.
    static bool CloseInTurn(const QList<QPointer<QMdiSubWindow>>& windows, bool stopAtRefusal);

    // A menu command runs inside RunCommand, so that an exception it lets through is shown.
    template <typename Frame>
    void Connect(QAction* action, void (Frame::*handler)());
    template <typename Frame>
    QAction* AddItem(QMenu* menu, const char* name, const char* caption, void (Frame::*handler)(),
                     const char* hint = nullptr);
    // A menu of the menu bar; its action carries the menu's name too.
    QMenu* AddMenu(const char* name, const char* caption, const char* hint = nullptr);
    // A command on the menu bar itself.
    template <typename Frame>
    QAction* AddBarCommand(const char* name, const char* caption, void (Frame::*handler)());
    // The tool bar of speed buttons, and a button on it with the hint as its tip.
    void MakeSpeedPanel();
    QAction* AddSpeedButton(const char* name, QStyle::StandardPixmap icon, const char* hint);

    // The items both frames have, in groups, so that each program puts its own between them:
    // the File menu with New and Open; Close, Save and Save As; the separator and Exit.
    void AddCaseOpenItems();
    void AddCaseSaveItems();
    void AddExitItem();
    // The sheet commands on the menu bar; the assessments' caption is each program's own.
    void AddSheetCommands(const char* assessmentsCaption);
    // The Edit menu with the rows' commands, the filtering and the number format; the captions
    // of the editor mode and of the filtering switch are each program's own.
    void AddEditItems(const char* editorModeCaption, const char* filteringCaption);
    // The Window menu with the arranging commands and the two sheet windows.
    void AddWindowMenu();
    // The speed panel with New, Open, Save and Run (those two disabled); and Exit, at its end.
    void AddCaseSpeedButtons();
    void AddExitButton();
    // The arranging commands are enabled while a child window is open.
    void EnableArrangingCommands();
    template <typename Frame>
    QAction* AddSpeedButton(const char* name, QStyle::StandardPixmap icon, const char* hint, void (Frame::*handler)());

private:
    void SetUpArea();
    QAction* NewMenuItem(QMenu* menu, const char* name, const char* caption, const char* hint);
    QAction* NewBarCommand(const char* name, const char* caption);

    std::unique_ptr<platform::Prompts> ownPrompts_;
    platform::Prompts* prompts_ = nullptr;
    const char* settingsFile_;
};

template <typename Frame>
void TMainFrame::Connect(QAction* action, void (Frame::*handler)()) {
    Frame* frame = static_cast<Frame*>(this);
    connect(action, &QAction::triggered, this, [frame, handler] { RunCommand([&] { (frame->*handler)(); }); });
}

template <typename Frame>
QAction* TMainFrame::AddItem(QMenu* menu, const char* name, const char* caption, void (Frame::*handler)(),
                             const char* hint) {
    QAction* a = NewMenuItem(menu, name, caption, hint);
    if (handler) Connect(a, handler);
    return a;
}

template <typename Frame>
QAction* TMainFrame::AddBarCommand(const char* name, const char* caption, void (Frame::*handler)()) {
    QAction* a = NewBarCommand(name, caption);
    Connect(a, handler);
    return a;
}

template <typename Frame>
QAction* TMainFrame::AddSpeedButton(const char* name, QStyle::StandardPixmap icon, const char* hint,
                                    void (Frame::*handler)()) {
    QAction* a = AddSpeedButton(name, icon, hint);
    Connect(a, handler);
    return a;
}
