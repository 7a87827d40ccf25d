// The grid both programs' sheets are drawn in: a QTableView over a model that asks the
// sheet's one cell-contents function for every text, an in-place editor that commits only
// what was changed, and key handling on key release.
#pragma once

#include <QAbstractTableModel>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>
#include <set>

#include "common/core/sheet_rules.h"
#include "platform/qt/qt_prompts.h"  // QStringFromBytes: the case's bytes as every sheet shows them

// Copy, cut, paste, undo and redo in any of their spellings (Ctrl+V, Shift+Insert, ...): the
// keys that an open cell editor takes for its own text.
bool EditorTextKey(const QKeyEvent* key);

// Header rows of the sheet are the view's horizontal header (one line each); the number
// column is column 0 of the model. Model row r is grid row r + HeaderRows().
class SheetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SheetModel(GridSource* source, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    GridSource* Source() const { return source_; }
    void SetSource(GridSource* source);
    // Shape changed (rows, columns): a new model state.
    void Reset();
    // Texts changed: everything is drawn again.
    void Refresh();

    QFont DataFont;
    QFont HeaderFont;

private:
    GridSource* source_;
};

class SheetGrid;

// The in-place editor: as long as the column's width in characters, or the given text when
// that is longer; it stores only text that differs from what it was given.
class SheetDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit SheetDelegate(SheetGrid* grid);
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    SheetGrid* grid_;
};

class SheetGrid : public QTableView {
    Q_OBJECT
public:
    explicit SheetGrid(GridSource* source, QWidget* parent = nullptr);

    SheetModel* Model() const { return model_; }
    GridSource* Source() const { return model_->Source(); }

    // Grid coordinates of the current cell (0, 0 when there is none).
    int Row() const;
    int Col() const;
    void SetCursor(int col, int row);
    // First and last selected grid rows (the current row when nothing else is selected).
    void SelectedRows(int& first, int& last) const;
    void SelectRows(int first, int last);

    // Editor mode (an editor always open on the current cell) or row mode (whole rows).
    void SetEditorMode(bool on);
    bool EditorMode() const { return editorMode_; }
    bool EditorOpen() const;
    void OpenEditor();
    // Closes the editor without storing its text.
    void CloseEditor();
    // Stores what the user typed into the open editor, as leaving the cell does: the buttons
    // and menu commands that save, close or run take no focus, so the cell is not left first.
    void StoreEditor();
    // The same for every sheet grid within `top`.
    static void StoreEditors(QWidget* top);

    // A new layout: column widths from the source, grown where a text would be clipped.
    void Layout();
    void Refresh() {
        model_->Refresh();
        viewport()->update();
    }
    // After the window took its size: scrolled back to the left, the cursor in view.
    void ScrollHome();
    int ContentWidth() const;   // columns plus frame
    int ContentHeight() const;  // header plus rows plus frame
    int DefaultRowHeight() const { return rowHeight_; }
    // The whole grid, at most `MaxSize` (the room the window may take).
    QSize sizeHint() const override;
    QSize MaxSize{1600, 900};

    // Handlers of the sheet.
    std::function<void(const SheetKey&)> OnKeyRelease;
    std::function<void(int row)> OnRowModeClick;  // mouse down on the number column or with Ctrl
    std::function<void(Qt::MouseButton, int col, int row)> OnMouseUp;
    std::function<void(int col, int row)> OnDoubleClick;

    // Key bookkeeping: a release acts only when its press was seen and it is not a repeat.
    void NotePress(QKeyEvent* event);
    // A press that was the editor's own: its release does nothing.
    void ForgetPress(QKeyEvent* event);
    bool TakeRelease(QKeyEvent* event);
    void HandleRelease(QKeyEvent* event);

    static SheetKey ToSheetKey(const QKeyEvent* event);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void keyboardSearch(const QString&) override {}  // letters never move the cursor
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void focusInEvent(QFocusEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    using QTableView::edit;

private:
    friend class SheetDelegate;  // the editor's double click is the cell's

    // Whether the keyboard is with this grid's window (or with no window of the frame).
    bool HasKeyboard() const;
    QModelIndex IndexOf(int col, int row) const;
    bool Selectable(int col, int row) const;
    int GridRowAt(const QPoint& pos) const;
    int GridColAt(const QPoint& pos) const;

    SheetModel* model_;
    bool editorMode_ = true;
    bool editorPending_ = false;  // editor mode's editor waits for the keyboard
    int rowHeight_ = 19;
    std::set<int> pressed_;
};
