#include "common/ui/mdi_frame.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>

QList<QMdiSubWindow*> OpenChildWindows(const QMdiArea* area) {
    QList<QMdiSubWindow*> open;
    for (QMdiSubWindow* w : area->subWindowList())
        if (!w->isHidden()) open.push_back(w);
    return open;
}

void BringChildToFront(QMdiArea* area, QMdiSubWindow* window) {
    if (!window) return;
    if (window->isMinimized()) window->showNormal();
    area->setActiveSubWindow(window);
    window->raise();
}

void ArrangeChildIcons(QMdiArea* area) {
    const QRect view = area->viewport()->rect();
    int x = 0;
    int y = view.bottom() + 1;
    int rowHeight = 0;
    for (QMdiSubWindow* w : OpenChildWindows(area)) {
        if (!w->isMinimized()) continue;
        const QSize size = w->size();
        if (x > 0 && x + size.width() > view.width()) {
            x = 0;
            y -= rowHeight;
            rowHeight = 0;
        }
        rowHeight = std::max(rowHeight, size.height());
        w->move(x, y - size.height());
        x += size.width();
    }
}

void TileChildren(QMdiArea* area) {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : OpenChildWindows(area))
        if (!w->isMinimized()) windows.push_back(w);
    const int n = static_cast<int>(windows.size());
    if (n == 0) return;
    // A near-square grid over the area as it is; the last row's windows share its whole width.
    // A window whose contents want more room than its cell is cut, as a child of any frame is:
    // the frame keeps its size (tiling by the windows' least sizes grew it off the screen).
    const QRect view = area->viewport()->rect();
    int cols = 1;
    while (cols * cols < n) ++cols;
    const int rows = (n + cols - 1) / cols;
    const int height = std::max(1, view.height() / rows);
    for (int i = 0; i < n; ++i) {
        const int row = i / cols;
        const int inRow = row == rows - 1 ? n - row * cols : cols;
        const int width = std::max(1, view.width() / inRow);
        const int col = i - row * cols;
        windows[i]->showNormal();
        windows[i]->setGeometry(view.x() + col * width, view.y() + row * height, width, height);
    }
}

void MinimizeAllChildren(QMdiArea* area) {
    const QList<QMdiSubWindow*> children = OpenChildWindows(area);
    for (auto it = children.rbegin(); it != children.rend(); ++it) (*it)->showMinimized();
}

void PaintNow(QWidget& widget) {
    if (!widget.isVisible()) return;
    widget.repaint();
    // What the window system has to say about windows (exposures, a dialog gone) is taken in
    // too, user input not: it stays queued for after the work.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
