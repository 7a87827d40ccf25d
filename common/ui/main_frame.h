// What the frames of both programs have in common: the MDI area and the status bar, the
// platform services the frame owns when nobody gives it any, the file choices kept between
// commands, the settings line beside the program, the status hints, the window commands and
// the menu items that follow the active window. Each program's frame adds its own menus and
// commands.
#pragma once

#include <QList>
#include <QMainWindow>
#include <QStyle>

#include <memory>
#include <string>

#include "common/ui/guarded_app.h"
#include "platform/prompts.h"
#include "platform/qt/qt_prompts.h"

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

    virtual bool CloseChildren() = 0;
    virtual void UpdateMenuItems() = 0;

public slots:
    void FileExitItemClick();
    void WindowCascadeItemClick();
    void WindowTileItemClick();
    void WindowArrangeItemClick();
    void WindowMinimizeItemClick();
    void CloseAllWindowsClick();

protected:
    // prompts: the platform services to use (tests); null: the real ones, on this window.
    // settingsFile: the name of the one-line settings file beside the program.
    TMainFrame(platform::Prompts* prompts, const char* settingsFile);

    // The platform services this frame uses, its own or those it was given.
    platform::Prompts* Prompts() const { return prompts_; }
    bool OwnsPrompts(const platform::Prompts* prompts) const { return ownPrompts_ && prompts == ownPrompts_.get(); }
    // The file the settings line remembers.
    virtual std::string CasePath() const = 0;
    // The frame became the active window.
    virtual void FrameActivated() { UpdateMenuItems(); }

    // The menu items follow the active child and the focus from now on, and are put in step.
    void FollowActivation();
    void StopFollowingActivation();

    bool event(QEvent* event) override;
    void BringToFront(QMdiSubWindow* window);

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

// The constructor and the settings line are defined here, in the programs' frames, so that
// common_ui itself needs none of the platform's implementations: each program links them.
inline TMainFrame::TMainFrame(platform::Prompts* prompts, const char* settingsFile) : settingsFile_(settingsFile) {
    if (!prompts) {
        ownPrompts_ = std::make_unique<platform::QtPrompts>(this);
        prompts = ownPrompts_.get();
    }
    prompts_ = prompts;
    SetUpArea();
}

inline void TMainFrame::SaveRestorePath(bool read) {
    if (read) {
        const std::string line = platform::ReadSettingsLine(settingsFile_);
        if (!line.empty()) ExpertFileOpenDialog.FileName = line;
        return;
    }
    platform::WriteSettingsLine(settingsFile_, CasePath());
}

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
