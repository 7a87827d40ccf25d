// The sheet grid of this program's windows: it opens its cell editor only while its window
// is the active one, so that a sheet laid out again in the background (after an edit in
// another sheet) never takes the focus away from the sheet the user works in.
#pragma once

#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>

#include "common/ui/sheet_grid.h"
#include "pairwise/model/globals.h"
#include "platform/prompts.h"

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

// Insert with Shift while editing, and V without Ctrl or Alt, neither insert nor paste.
inline bool IgnoredPasteKey(const SheetKey& k, bool editing) {
    return (k.Code == vk::Insert && k.Shift && editing) || (k.Code == vk::V && !k.Ctrl && !k.Alt);
}

// The first steps of Delete and Ctrl-X on a sheet in row mode: the selected rows and the
// question. False when nothing is to be removed; `handled` tells the caller's result then.
inline bool AskRowOperation(SheetGrid* grid, const SheetKey& k, const char* noun, bool& cut, int& top, int& bottom,
                            bool& handled) {
    handled = true;
    if (grid->EditorMode()) return false;
    cut = k.Code == vk::X && k.Ctrl;
    if (k.Code != vk::Delete && !cut) return false;
    grid->SelectedRows(top, bottom);
    handled = false;
    if (top < 1 || bottom < top) return false;
    return Platform->Message(platform::MessageKind::Confirmation, RowOperationQuestion(cut, noun, top < bottom),
                             platform::Buttons::YesNo) == platform::Answer::Yes;
}
