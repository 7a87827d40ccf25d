#include "common/ui/sheet_grid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

// ---------------------------------------------------------------- model

SheetModel::SheetModel(GridSource* source, QObject* parent) : QAbstractTableModel(parent), source_(source) {
    DataFont = QFont(QStringLiteral("MS Sans Serif"), 8);
    HeaderFont = QFont(QStringLiteral("Arial"), 7);
}

void SheetModel::SetSource(GridSource* source) {
    beginResetModel();
    source_ = source;
    endResetModel();
}

int SheetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !source_) return 0;
    return std::max(0, source_->GridRows() - source_->HeaderRows());
}

int SheetModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || !source_) return 0;
    return source_->GridCols();
}

QVariant SheetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !source_) return {};
    const int col = index.column();
    const int row = index.row() + source_->HeaderRows();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return platform::QStringFromBytes(source_->CellText(col, row));
    case Qt::FontRole: {
        QFont f = DataFont;
        f.setBold(col > 0 && source_->CellStyleAt(col, row).Bold);
        return f;
    }
    case Qt::ForegroundRole: {
        CellStyle s = source_->CellStyleAt(col, row);
        if (s.Greyed) return QColor(0x80, 0x80, 0x80);
        if (s.Colour) return QColor(static_cast<QRgb>(s.Colour));
        return {};
    }
    case Qt::BackgroundRole:
        if (col == 0) return QColor(0xE0, 0xE0, 0xE0);  // the fixed number column
        return {};
    case Qt::TextAlignmentRole: return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

QVariant SheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || !source_) return {};
    if (role == Qt::DisplayRole) {
        QStringList lines;
        for (int r = 0; r < source_->HeaderRows(); ++r)
            lines << platform::QStringFromBytes(source_->CellText(section, r));
        return lines.join(QLatin1Char('\n'));
    }
    if (role == Qt::FontRole) return HeaderFont;
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags SheetModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || !source_) return Qt::NoItemFlags;
    const int col = index.column();
    const int row = index.row() + source_->HeaderRows();
    Qt::ItemFlags f = Qt::ItemIsEnabled;
    if (source_->CanSelect(col, row)) f |= Qt::ItemIsSelectable;
    if (source_->CanEdit(col, row)) f |= Qt::ItemIsEditable;
    return f;
}

bool SheetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || !source_ || role != Qt::EditRole) return false;
    source_->SetEditText(index.column(), index.row() + source_->HeaderRows(),
                         platform::BytesFromQString(value.toString()));
    Refresh();  // an edit may change other cells (ids shown elsewhere, colours)
    return true;
}

void SheetModel::Reset() {
    beginResetModel();
    endResetModel();
}

void SheetModel::Refresh() {
    if (rowCount() > 0 && columnCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    if (columnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

// ---------------------------------------------------------------- editor

SheetDelegate::SheetDelegate(SheetGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

QWidget* SheetDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const {
    auto* edit = new QLineEdit(parent);
    edit->setFrame(false);
    edit->setFont(grid_->Model()->DataFont);
    return edit;
}

void SheetDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (!edit) return;
    const QString given = index.data(Qt::EditRole).toString();
    // A repaint of the sheet hands the open editor its cell's text again. While that text is the
    // one the editor started from, the editor stays as the user has it: the whole text selected
    // as it opened (a field filled to its width takes no key unless typed over), or what the user
    // has typed so far.
    const QVariant started = edit->property("givenText");
    if (started.isValid() && started.toString() == given) return;
    const int cap = grid_->Source() ? grid_->Source()->ColumnChars(index.column()) : 0;
    edit->setMaxLength(std::max({cap, static_cast<int>(given.size()), 1}));
    edit->setText(given);
    edit->setProperty("givenText", given);
}

void SheetDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (!edit) return;
    const QString text = edit->text();
    // Taking the shown text back would round every number the cursor passes.
    if (text == edit->property("givenText").toString()) return;
    edit->setProperty("givenText", text);
    model->setData(index, text, Qt::EditRole);
}

namespace {

bool LooksLikeNumber(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return false;
    bool digit = false;
    for (QChar ch : t) {
        if (ch.isDigit())
            digit = true;
        else if (ch != QLatin1Char('.') && ch != QLatin1Char(',') && ch != QLatin1Char('-') && ch != QLatin1Char('+') &&
                 ch.toLower() != QLatin1Char('e'))
            return false;
    }
    return digit;
}

}  // namespace

bool EditorTextKey(const QKeyEvent* key) {
    for (QKeySequence::StandardKey k :
         {QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste, QKeySequence::Undo, QKeySequence::Redo})
        if (key->matches(k)) return true;
    return false;
}

void SheetDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    // A number that does not fit its cell (a column narrowed by hand, a value edited wider)
    // shows as a row of '#', never cut: a cut number reads as another number.
    const int room = opt.rect.width() -
                     2 * (opt.widget ? opt.widget->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1 : 4);
    if (opt.rect.width() > 0 && LooksLikeNumber(opt.text) && opt.fontMetrics.horizontalAdvance(opt.text) > room) {
        if (opt.fontMetrics.horizontalAdvance(opt.text.trimmed()) <= room) {
            opt.text = opt.text.trimmed();  // the leading blanks of the field go first
        } else {
            const int hash = std::max(1, opt.fontMetrics.horizontalAdvance(QLatin1Char('#')));
            opt.text = QString(std::max(1, room / hash), QLatin1Char('#'));
        }
    }
    const QWidget* w = opt.widget;
    QStyle* style = w ? w->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, w);
}

bool SheetDelegate::eventFilter(QObject* object, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* edit = qobject_cast<QLineEdit*>(object);
        // One key press does one thing: the editing keys of an open editor work on its text
        // only, and their release is no row command. Ctrl+C copies text the user selected in
        // the editor; otherwise (nothing selected, or only the whole text as the editor opened
        // with it) it stays the sheet's copy of the whole view, on release.
        const bool copy = key->matches(QKeySequence::Copy);
        const bool viewCopy = copy && edit && (!edit->hasSelectedText() || !edit->property("touched").toBool());
        const int k = key->key();
        const bool modifierOnly = k == Qt::Key_Control || k == Qt::Key_Shift || k == Qt::Key_Alt || k == Qt::Key_Meta;
        if (edit && !copy && !modifierOnly) edit->setProperty("touched", true);
        if (!viewCopy && EditorTextKey(key)) {
            grid_->ForgetPress(key);
            return QStyledItemDelegate::eventFilter(object, event);
        }
        grid_->NotePress(key);
        if (viewCopy) return true;
    } else if (event->type() == QEvent::KeyRelease) {
        grid_->HandleRelease(static_cast<QKeyEvent*>(event));
        return true;
    } else if (event->type() == QEvent::MouseButtonPress) {
        object->setProperty("touched", true);
    } else if (event->type() == QEvent::MouseButtonDblClick) {
        // The editor covers its cell, so the second click of a double click on the cell lands on
        // the editor: it is the cell's double click too (the experts sheet opens the assessments).
        // The editor still takes it as its own (a word selected).
        auto* editor = qobject_cast<QWidget*>(object);
        if (editor && grid_->OnDoubleClick) {
            const QPoint p = editor->mapTo(grid_->viewport(), static_cast<QMouseEvent*>(event)->position().toPoint());
            const int row = grid_->GridRowAt(p), col = grid_->GridColAt(p);
            if (row >= 0) grid_->OnDoubleClick(col, row);
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

// ---------------------------------------------------------------- grid

SheetGrid::SheetGrid(GridSource* source, QWidget* parent) : QTableView(parent) {
    model_ = new SheetModel(source, this);
    setModel(model_);
    setItemDelegate(new SheetDelegate(this));
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setFont(model_->DataFont);
    SetEditorMode(true);
}

QModelIndex SheetGrid::IndexOf(int col, int row) const {
    if (!Source()) return {};
    return model_->index(row - Source()->HeaderRows(), col);
}

bool SheetGrid::Selectable(int col, int row) const {
    return Source() && Source()->CanSelect(col, row);
}

int SheetGrid::Row() const {
    QModelIndex i = currentIndex();
    return i.isValid() && Source() ? i.row() + Source()->HeaderRows() : 0;
}

int SheetGrid::Col() const {
    QModelIndex i = currentIndex();
    return i.isValid() ? i.column() : 0;
}

void SheetGrid::SetCursor(int col, int row) {
    QModelIndex i = IndexOf(col, row);
    if (!i.isValid()) return;
    if (editorMode_)
        selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
    else
        selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(i);
}

void SheetGrid::SelectedRows(int& first, int& last) const {
    first = last = Row();
    const QModelIndexList sel = selectionModel()->selectedIndexes();
    if (sel.isEmpty()) return;
    int lo = sel.front().row(), hi = lo;
    for (const QModelIndex& i : sel) {
        lo = std::min(lo, i.row());
        hi = std::max(hi, i.row());
    }
    first = lo + Source()->HeaderRows();
    last = hi + Source()->HeaderRows();
}

void SheetGrid::SelectRows(int first, int last) {
    QModelIndex a = IndexOf(0, first), b = IndexOf(model_->columnCount() - 1, last);
    if (!a.isValid() || !b.isValid()) return;
    selectionModel()->select(QItemSelection(a, b), QItemSelectionModel::ClearAndSelect);
}

bool SheetGrid::EditorOpen() const {
    return state() == QAbstractItemView::EditingState;
}

bool SheetGrid::HasKeyboard() const {
    const QWidget* focus = QApplication::focusWidget();
    // Nobody has the keyboard, or another top-level window has it (a dialog), where an
    // editor's focus only waits for this window to come back.
    if (!focus || focus->window() != window()) return true;
    const QWidget* sheet = this;
    for (const QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (qobject_cast<const QMdiSubWindow*>(w)) {
            sheet = w;
            break;
        }
    if (sheet == this) return true;  // not in a multiple-document frame: one grid has the frame
    return focus == sheet || sheet->isAncestorOf(focus);
}

void SheetGrid::OpenEditor() {
    QModelIndex i = currentIndex();
    if (!editorMode_ || !i.isValid() || EditorOpen()) return;
    if (!(model_->flags(i) & Qt::ItemIsEditable)) return;
    if (!HasKeyboard()) {
        editorPending_ = true;  // see edit() below
        return;
    }
    edit(i);
}

bool SheetGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    // An open editor takes the keyboard. A sheet whose cursor moves or whose editor opens
    // while the user works in another sheet opens its editor when it gets the keyboard
    // itself, so the keys go on editing the sheet the user clicked.
    if ((trigger == CurrentChanged || trigger == AllEditTriggers) && editorMode_ && !HasKeyboard()) {
        if (model_->flags(index) & Qt::ItemIsEditable) editorPending_ = true;
        return false;
    }
    editorPending_ = false;
    return QTableView::edit(index, trigger, event);
}

void SheetGrid::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    if (editorPending_) {
        editorPending_ = false;
        if (editorMode_) OpenEditor();
    }
    // However the window came to the front (a click, its title bar, the Window menu), the keys
    // go to the open cell as after a click on it: End moves in the text instead of leaving it
    // selected for the next letter to replace.
    if (EditorOpen())
        for (QLineEdit* e : viewport()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly))
            if (!e->isHidden()) e->setFocus(event->reason());
}

void SheetGrid::CloseEditor() {
    editorPending_ = false;
    if (!EditorOpen()) return;
    if (QWidget* w = indexWidget(currentIndex())) {
        closeEditor(w, QAbstractItemDelegate::NoHint);
        return;
    }
    // Editors opened by edit() are children of the viewport.
    for (QLineEdit* e : viewport()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly))
        if (e->isVisible()) closeEditor(e, QAbstractItemDelegate::NoHint);
}

void SheetGrid::StoreEditor() {
    if (!EditorOpen()) return;
    if (QWidget* w = indexWidget(currentIndex())) {
        commitData(w);
        return;
    }
    for (QLineEdit* e : viewport()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly))
        if (!e->isHidden()) commitData(e);
}

void SheetGrid::StoreEditors(QWidget* top) {
    if (!top) return;
    for (SheetGrid* grid : top->findChildren<SheetGrid*>()) grid->StoreEditor();
}

void SheetGrid::SetEditorMode(bool on) {
    editorMode_ = on;
    if (on) {
        setSelectionBehavior(QAbstractItemView::SelectItems);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::DoubleClicked |
                        QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed |
                        QAbstractItemView::SelectedClicked);
        if (currentIndex().isValid()) {
            if (!Selectable(Col(), Row())) {
                // Row mode may have left the cursor on the number column.
                for (int c = 1; c < model_->columnCount(); ++c)
                    if (Selectable(c, Row())) {
                        SetCursor(c, Row());
                        break;
                    }
            }
            selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect);
        }
        OpenEditor();
    } else {
        const bool hadFocus = QApplication::focusWidget() && isAncestorOf(QApplication::focusWidget());
        CloseEditor();
        if (hadFocus) setFocus();
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        setSelectionBehavior(QAbstractItemView::SelectRows);
        setSelectionMode(QAbstractItemView::ContiguousSelection);
        if (currentIndex().isValid())
            selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
}

void SheetGrid::Layout() {
    const bool hadFocus = hasFocus() || (focusWidget() && isAncestorOf(QApplication::focusWidget()));
    CloseEditor();
    model_->Reset();
    if (hadFocus) setFocus();
    const QFontMetrics data(model_->DataFont);
    QFont bold = model_->DataFont;
    bold.setBold(true);
    const QFontMetrics dataBold(bold);
    const QFontMetrics head(model_->HeaderFont);
    const GridSource* s = Source();
    int headerLines = s ? std::max(1, s->HeaderRows()) : 1;
    for (int c = 0; s && c < s->GridCols(); ++c) {
        int px = s->ColumnPixels(c);
        if (px > 0) {
            // Grow where our fonts would clip what the column is meant to hold.
            const int chars = s->ColumnChars(c);
            if (chars <= 20) {
                px = std::max(px, dataBold.horizontalAdvance(QString(chars, QLatin1Char('0'))) + 10);
                // A number format wider than the field (fixed point, many decimals) widens
                // the column to its widest cell: a cut number would read as another number.
                for (int r = s->HeaderRows(); r < s->GridRows(); ++r) {
                    const QString text = platform::QStringFromBytes(s->CellText(c, r));
                    if (text.size() > chars) px = std::max(px, dataBold.horizontalAdvance(text.trimmed()) + 10);
                }
            }
            for (int r = 0; r < s->HeaderRows(); ++r)
                px = std::max(px, head.horizontalAdvance(platform::QStringFromBytes(s->CellText(c, r))) + 8);
        }
        setColumnWidth(c, px);
    }
    rowHeight_ = std::max(19, data.height() + 6);
    verticalHeader()->setDefaultSectionSize(rowHeight_);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setFixedHeight(headerLines * head.lineSpacing() + 8);
}

int SheetGrid::ContentWidth() const {
    int w = 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < model_->columnCount(); ++c) w += columnWidth(c);
    return w;
}

void SheetGrid::showEvent(QShowEvent* event) {
    QTableView::showEvent(event);
    // The cursor was placed before the window had its size.
    QTimer::singleShot(0, this, &SheetGrid::ScrollHome);
}

void SheetGrid::ScrollHome() {
    horizontalScrollBar()->setValue(0);
    if (currentIndex().isValid()) scrollTo(currentIndex());
}

QSize SheetGrid::sizeHint() const {
    return QSize(std::min(ContentWidth(), MaxSize.width()), std::min(ContentHeight(), MaxSize.height()));
}

int SheetGrid::ContentHeight() const {
    return 2 * frameWidth() + horizontalHeader()->height() + model_->rowCount() * rowHeight_ +
           horizontalScrollBar()->sizeHint().height();
}

// ---------------------------------------------------------------- keys

SheetKey SheetGrid::ToSheetKey(const QKeyEvent* event) {
    SheetKey k;
    const Qt::KeyboardModifiers m = event->modifiers();
    k.Shift = m & Qt::ShiftModifier;
    k.Ctrl = m & Qt::ControlModifier;
    k.Alt = m & Qt::AltModifier;
    const int key = event->key();
    switch (key) {
    case Qt::Key_Tab: k.Code = vk::Tab; break;
    case Qt::Key_Backtab:
        k.Code = vk::Tab;
        k.Shift = true;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter: k.Code = vk::Enter; break;
    case Qt::Key_End: k.Code = vk::End; break;
    case Qt::Key_Home: k.Code = vk::Home; break;
    case Qt::Key_Left: k.Code = vk::Left; break;
    case Qt::Key_Up: k.Code = vk::Up; break;
    case Qt::Key_Right: k.Code = vk::Right; break;
    case Qt::Key_Down: k.Code = vk::Down; break;
    case Qt::Key_Insert: k.Code = vk::Insert; break;
    case Qt::Key_Delete: k.Code = vk::Delete; break;
    case Qt::Key_F2: k.Code = vk::F2; break;
    case Qt::Key_F3: k.Code = vk::F3; break;
    case Qt::Key_F4: k.Code = vk::F4; break;
    case Qt::Key_F5: k.Code = vk::F5; break;
    default:
        // Letters and digits share their codes with the virtual keys.
        if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) k.Code = key;
        break;
    }
    return k;
}

void SheetGrid::NotePress(QKeyEvent* event) {
    if (event->isAutoRepeat()) return;
    const int code = ToSheetKey(event).Code;
    if (code) pressed_.insert(code);
}

void SheetGrid::ForgetPress(QKeyEvent* event) {
    if (event->isAutoRepeat()) return;
    const int code = ToSheetKey(event).Code;
    if (code) pressed_.erase(code);
}

bool SheetGrid::TakeRelease(QKeyEvent* event) {
    if (event->isAutoRepeat()) return false;
    const int code = ToSheetKey(event).Code;
    // A release whose press went elsewhere (the key that closed a message box) does nothing.
    auto it = pressed_.find(code);
    if (code == 0 || it == pressed_.end()) return false;
    pressed_.erase(it);
    return true;
}

void SheetGrid::HandleRelease(QKeyEvent* event) {
    if (!TakeRelease(event) || !OnKeyRelease) return;
    const bool wasOpen = EditorOpen();
    const SheetKey key = ToSheetKey(event);
    OnKeyRelease(key);
    // Home or End that opened the cell leave the caret at the start or end of its text, as they
    // would in an open cell, not the whole text selected for the next letter to replace.
    if (wasOpen || !EditorOpen() || (key.Code != vk::Home && key.Code != vk::End)) return;
    for (QLineEdit* e : viewport()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly))
        if (!e->isHidden()) e->setCursorPosition(key.Code == vk::End ? static_cast<int>(e->text().size()) : 0);
}

void SheetGrid::keyPressEvent(QKeyEvent* event) {
    NotePress(event);
    // Copying is the sheet's own (the whole view), on release.
    if (event->matches(QKeySequence::Copy)) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void SheetGrid::keyReleaseEvent(QKeyEvent* event) {
    HandleRelease(event);
    event->accept();
}

QModelIndex SheetGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const GridSource* s = Source();
    if (!s) return QTableView::moveCursor(action, modifiers);
    const int top = s->HeaderRows(), bottom = s->GridRows() - 1, cols = s->GridCols();
    int col = Col(), row = Row();
    if (!currentIndex().isValid()) {
        for (int r = top; r <= bottom; ++r)
            for (int c = 0; c < cols; ++c)
                if (Selectable(c, r)) return IndexOf(c, r);
        return {};
    }
    auto found = [&](int c, int r) { return IndexOf(c, r); };
    switch (action) {
    case MoveNext:
    case MovePrevious: {
        // Row by row, wrapping at the end of the grid as the sheets' Tab does.
        const int cells = (bottom - top + 1) * cols;
        int n = (row - top) * cols + col;
        for (int step = 0; step < cells; ++step) {
            n = action == MoveNext ? (n + 1) % cells : (n - 1 + cells) % cells;
            int r = top + n / cols, c = n % cols;
            if (Selectable(c, r)) return found(c, r);
        }
        return currentIndex();
    }
    case MoveLeft:
    case MoveRight:
        for (int c = col + (action == MoveRight ? 1 : -1); c >= 0 && c < cols; c += action == MoveRight ? 1 : -1)
            if (Selectable(c, row)) return found(c, row);
        return currentIndex();
    case MoveUp:
    case MoveDown:
        for (int r = row + (action == MoveDown ? 1 : -1); r >= top && r <= bottom; r += action == MoveDown ? 1 : -1)
            if (Selectable(col, r)) return found(col, r);
        return currentIndex();
    case MoveHome:
    case MoveEnd:
        if (modifiers & Qt::ControlModifier) row = action == MoveHome ? top : bottom;
        if (action == MoveHome) {
            for (int c = 0; c < cols; ++c)
                if (Selectable(c, row)) return found(c, row);
        } else {
            for (int c = cols - 1; c >= 0; --c)
                if (Selectable(c, row)) return found(c, row);
        }
        return currentIndex();
    default: {
        QModelIndex i = QTableView::moveCursor(action, modifiers);
        if (i.isValid() && Selectable(col, i.row() + top)) return IndexOf(col, i.row() + top);
        return currentIndex();
    }
    }
}

void SheetGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    viewport()->update();
}

// ---------------------------------------------------------------- mouse

int SheetGrid::GridRowAt(const QPoint& pos) const {
    QModelIndex i = indexAt(pos);
    return i.isValid() && Source() ? i.row() + Source()->HeaderRows() : -1;
}

int SheetGrid::GridColAt(const QPoint& pos) const {
    QModelIndex i = indexAt(pos);
    return i.isValid() ? i.column() : -1;
}

void SheetGrid::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    const int row = GridRowAt(p), col = GridColAt(p);
    if (event->button() == Qt::LeftButton && row >= 0 && (col == 0 || (event->modifiers() & Qt::ControlModifier)) &&
        OnRowModeClick) {
        OnRowModeClick(row);
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void SheetGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    const QPoint p = event->position().toPoint();
    if (OnMouseUp) OnMouseUp(event->button(), GridColAt(p), GridRowAt(p));
}

void SheetGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    const int row = GridRowAt(p), col = GridColAt(p);
    if (OnDoubleClick && row >= 0) {
        OnDoubleClick(col, row);
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}
