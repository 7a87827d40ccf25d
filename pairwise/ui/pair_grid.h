// The sheet grid of this program's windows: it opens its cell editor only while its window
// is the active one, so that a sheet laid out again in the background (after an edit in
// another sheet) never takes the focus away from the sheet the user works in.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>

#include "common/ui/sheet_grid.h"
#include "pairwise/model/globals.h"
#include "platform/prompts.h"

namespace trindel {

class TPairGrid : public SheetGrid {
public:
    TPairGrid(GridSource* source, QMdiSubWindow* window, QWidget* parent)
        : SheetGrid(source, parent), window_(window) {}

    // The keys whose release inserts or pastes rows (the sheets' own rules decide whether
    // anything happens): the open editor's text is stored first, since a row operation lays
    // the grid out again, which drops the editor and would drop its text. Ctrl+Z is not one:
    // it undoes, in the cell first, and what it leaves there is no text to keep.
    static bool IsRowOperationKey(const SheetKey& k) {
        return k.Code == vk::Enter || k.Code == vk::Insert || (k.Code == vk::V && (k.Ctrl || k.Alt));
    }

    // After a switch to editor mode the open editor holds its text with the caret at its end
    // and nothing selected: the key that switched modes was no typing, and the next letter
    // must not wipe out what the cell holds.
    void CaretToEnd() {
        if (QLineEdit* editor = EditorOpen() ? OpenLineEdit() : nullptr) {
            editor->deselect();
            editor->end(false);
        }
    }

protected:
    // The editor opens with its text selected, so that the first key typed replaces the
    // cell's text instead of being cut off behind it (an answer cell holds two characters).
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
        if (window_->mdiArea() && !(window_->windowState() & Qt::WindowActive)) return false;
        const bool wasOpen = EditorOpen();
        const bool forward = trigger == AnyKeyPressed && event;
        if (!SheetGrid::edit(index, trigger, forward ? nullptr : event)) return false;
        QLineEdit* editor = OpenLineEdit();
        if (editor && !wasOpen) {
            editor->selectAll();
            editor->installEventFilter(this);
        }
        if (editor && forward) QCoreApplication::sendEvent(editor, event);
        return true;
    }

    // Cells drawn again while the editor is open keep what the user typed there and where
    // the caret or selection was: a repaint is no edit.
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles) override {
        QLineEdit* editor = EditorOpen() ? OpenLineEdit() : nullptr;
        if (!editor) {
            SheetGrid::dataChanged(topLeft, bottomRight, roles);
            return;
        }
        const QString text = editor->text();
        const bool typed = text != editor->property("givenText").toString();
        const bool all = editor->hasSelectedText() && editor->selectedText() == text;
        const int caret = editor->cursorPosition();
        SheetGrid::dataChanged(topLeft, bottomRight, roles);
        if (typed && editor->text() != text) editor->setText(text);
        if (all)
            editor->selectAll();
        else
            editor->setCursorPosition(std::min(caret, static_cast<int>(editor->text().size())));
    }

    // A double click on an open editor is a double click on its cell.
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick && qobject_cast<QLineEdit*>(object) && OnDoubleClick &&
            currentIndex().isValid()) {
            OnDoubleClick(Col(), Row());
            return true;
        }
        return SheetGrid::eventFilter(object, event);
    }

private:
    QLineEdit* OpenLineEdit() const {
        for (QLineEdit* e : viewport()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly))
            if (!e->isHidden()) return e;
        return nullptr;
    }
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

}  // namespace trindel
