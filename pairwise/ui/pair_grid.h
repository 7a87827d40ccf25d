// The sheet grid of this program's windows: it opens its cell editor only while its window
// is the active one, so that a sheet laid out again in the background (after an edit in
// another sheet) never takes the focus away from the sheet the user works in.
#pragma once

#include <QMdiArea>
#include <QMdiSubWindow>

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
