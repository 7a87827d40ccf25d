// The sheet grid of this program's windows: it opens its cell editor only while its window
// is the active one, so that a sheet laid out again in the background (after an edit in
// another sheet) never takes the focus away from the sheet the user works in.
#pragma once

#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>

#include "common/ui/sheet_grid.h"

class TPairGrid : public SheetGrid {
public:
    TPairGrid(GridSource* source, QMdiSubWindow* window, QWidget* parent)
        : SheetGrid(source, parent), window_(window) {}

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
        if (window_->mdiArea() && !(window_->windowState() & Qt::WindowActive)) return false;
        return SheetGrid::edit(index, trigger, event);
    }

private:
    QMdiSubWindow* window_;
};

// A new window is moved left and up where it would stick out of the area's right or bottom.
inline void KeepInsideArea(QMdiSubWindow* window) {
    QMdiArea* area = window->mdiArea();
    if (!area) return;
    const QSize room = area->viewport()->size();
    QPoint p = window->pos();
    if (p.x() + window->width() > room.width()) p.setX(std::max(0, room.width() - window->width()));
    if (p.y() + window->height() > room.height()) p.setY(std::max(0, room.height() - window->height()));
    window->move(p);
}
