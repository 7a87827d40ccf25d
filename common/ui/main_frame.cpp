#include "common/ui/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>

#include "common/ui/mdi_frame.h"

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

void TMainFrame::BringToFront(QMdiSubWindow* window) {
    BringChildToFront(MdiArea, window);
}

void TMainFrame::FileExitItemClick() {
    close();
}

void TMainFrame::WindowCascadeItemClick() {
    MdiArea->cascadeSubWindows();
}

void TMainFrame::WindowTileItemClick() {
    MdiArea->tileSubWindows();
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
