#include "common/ui/report_view.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

#include "common/ui/sheet_grid.h"

namespace {

constexpr int kMargin = 4;  // pixels left of the text, as a text edit's document margin

bool IsAscii(std::string_view bytes) {
    unsigned char any = 0;
    for (char c : bytes) any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

int FloorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

}  // namespace

ReportView::ReportView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    UpdateScrollBars();
}

void ReportView::SetLines(std::string bytes, std::vector<std::size_t> starts) {
    file_.Close();
    indexing_.stop();
    if (starts.empty() || starts.front() != 0 || starts.back() != bytes.size() ||
        !std::is_sorted(starts.begin(), starts.end()))
        starts = {0, bytes.size()};  // not an index of these bytes: one line of all of them
    bytes_ = std::move(bytes);
    starts_ = std::move(starts);
    widestColumns_ = 0;
    for (int i = 0; i < LineCount(); ++i) NoteWidth(i);
    anchor_ = cursor_ = Position{};
    goalX_ = -1;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    UpdateScrollBars();
    viewport()->update();
}

void ReportView::AppendLine(std::string_view line) {
    if (file_.IsOpen()) {
        // Lines added after a file's: the file's are taken into memory first.
        FinishIndexing();
        std::string bytes = bytes_;
        std::vector<std::size_t> starts = starts_;
        for (std::int64_t i = 0; i < file_.Count(); ++i) {
            bytes += file_.Line(i);
            starts.push_back(bytes.size());
        }
        SetLines(std::move(bytes), std::move(starts));
    }
    bytes_.append(line);
    starts_.push_back(bytes_.size());
    NoteWidth(LineCount() - 1);
    UpdateScrollBars();
    viewport()->update();
}

bool ReportView::SetFile(const std::string& path, int blankLines) {
    SetLines(std::string(), std::vector<std::size_t>(static_cast<std::size_t>(std::max(0, blankLines)) + 1, 0));
    if (!file_.Open(path)) return false;
    IndexMore();  // the first screen at once
    return true;
}

void ReportView::IndexMore() {
    // About a hundredth of a second of reading a time, so the windows stay alive meanwhile.
    constexpr std::size_t Chunk = std::size_t{8} << 20;
    const int before = LineCount();
    if (!file_.Scan(Chunk))
        indexing_.start(0, this);
    else
        indexing_.stop();
    widestColumns_ = std::max(widestColumns_, static_cast<int>(std::min<std::size_t>(file_.LongestLine(), 1 << 20)));
    UpdateScrollBars();
    // Lines found below the screen change only the scroll bar.
    if (LineCount() != before && before <= FirstVisibleLine() + PageLines() + 1) viewport()->update();
}

void ReportView::FinishIndexing() {
    while (Indexing()) IndexMore();
}

int ReportView::LineCount() const {
    return MemoryLines() + static_cast<int>(std::min<std::int64_t>(file_.Count(), 0x7fffffff - MemoryLines()));
}

std::string ReportView::LineBytes(int line) const {
    if (line < 0 || line >= LineCount()) return {};
    if (line >= MemoryLines()) return file_.Line(line - MemoryLines());
    return bytes_.substr(starts_[line], starts_[line + 1] - starts_[line]);
}

QString ReportView::LineText(int line) const {
    const std::string b = LineBytes(line);
    if (IsAscii(b)) return QString::fromLatin1(b.data(), static_cast<qsizetype>(b.size()));
    return platform::QStringFromBytes(b);
}

QString ReportView::Text() const {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes_.size() + starts_.size()));
    for (int i = 0; i < LineCount(); ++i) {
        if (i > 0) text += QLatin1Char('\n');
        text += LineText(i);
    }
    return text;
}

int ReportView::LineLength(int line) const {
    const std::string b = LineBytes(line);
    return IsAscii(b) ? static_cast<int>(b.size()) : static_cast<int>(LineText(line).size());
}

void ReportView::NoteWidth(int line) {
    widestColumns_ = std::max(widestColumns_, LineLength(line));
}

QString ReportView::SelectedText() const {
    const Position from = std::min(anchor_, cursor_);
    const Position to = std::max(anchor_, cursor_);
    QString text;
    for (int i = from.Line; i <= to.Line && i < LineCount(); ++i) {
        const QString line = LineText(i);
        const int a = i == from.Line ? from.Column : 0;
        const int b = i == to.Line ? to.Column : static_cast<int>(line.size());
        text += line.mid(a, std::max(0, b - a));
        if (i < to.Line) text += QLatin1Char('\n');
    }
    return text;
}

void ReportView::SelectAll() {
    anchor_ = Position{};
    const int last = std::max(0, LineCount() - 1);
    cursor_ = Position{last, LineLength(last)};
    goalX_ = -1;
    viewport()->update();
}

void ReportView::Copy() {
    if (!HasSelection()) return;
    const QString text = SelectedText();
    if (copyTarget_)
        copyTarget_(text);
    else
        QGuiApplication::clipboard()->setText(text);
}

int ReportView::FirstVisibleLine() const {
    return verticalScrollBar()->value();
}

int ReportView::PageLines() const {
    return std::max(1, viewport()->height() / std::max(1, fontMetrics().lineSpacing()));
}

int ReportView::TextX(const QString& text, int column) const {
    return fontMetrics().horizontalAdvance(text.left(column));
}

QRect ReportView::CharRect(Position at) const {
    const QString text = LineText(at.Line);
    const int x = kMargin - horizontalScrollBar()->value() + TextX(text, at.Column);
    const int w = at.Column < text.size() ? TextX(text, at.Column + 1) - TextX(text, at.Column)
                                          : fontMetrics().horizontalAdvance(QLatin1Char(' '));
    const int h = fontMetrics().lineSpacing();
    return QRect(x, (at.Line - FirstVisibleLine()) * h, w, h);
}

ReportView::Position ReportView::HitTest(const QPoint& point) const {
    if (LineCount() == 0) return {};
    const int h = std::max(1, fontMetrics().lineSpacing());
    const int line = std::clamp(FirstVisibleLine() + FloorDiv(point.y(), h), 0, LineCount() - 1);
    const QString text = LineText(line);
    const int x = point.x() - (kMargin - horizontalScrollBar()->value());
    int column = 0;
    int previous = 0;
    for (int k = 1; k <= text.size(); ++k) {
        if (k < text.size() && text[k].isLowSurrogate()) continue;  // not between a surrogate pair
        const int edge = TextX(text, k);
        if (x < (previous + edge) / 2) break;
        column = k;
        previous = edge;
    }
    return {line, column};
}

void ReportView::UpdateScrollBars() {
    QScrollBar* v = verticalScrollBar();
    const int page = PageLines();
    v->setRange(0, std::max(0, LineCount() - page));
    v->setPageStep(page);
    v->setSingleStep(1);
    QScrollBar* h = horizontalScrollBar();
    const QFontMetrics fm = fontMetrics();
    const int charWidth = std::max(1, fm.horizontalAdvance(QLatin1Char('0')));
    const int width = 2 * kMargin + widestColumns_ * charWidth + 1;
    h->setRange(0, std::max(0, width - viewport()->width()));
    h->setPageStep(std::max(1, viewport()->width()));
    h->setSingleStep(charWidth);
}

void ReportView::EnsureVisible(Position at) {
    QScrollBar* v = verticalScrollBar();
    if (at.Line < v->value())
        v->setValue(at.Line);
    else if (at.Line >= v->value() + PageLines())
        v->setValue(at.Line - PageLines() + 1);
    QScrollBar* h = horizontalScrollBar();
    const int x = kMargin + TextX(LineText(at.Line), at.Column);
    const int room = viewport()->width();
    if (x - kMargin < h->value())
        h->setValue(x - kMargin);
    else if (x + 2 > h->value() + room)
        h->setValue(x + 2 - room);
}

void ReportView::MoveCursor(Position to, bool keepAnchor) {
    cursor_ = to;
    if (!keepAnchor) anchor_ = to;
    EnsureVisible(to);
    viewport()->update();
}

void ReportView::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const QFontMetrics fm = fontMetrics();
    const int h = fm.lineSpacing();
    const int x0 = kMargin - horizontalScrollBar()->value();
    const QColor text = palette().color(QPalette::Text);
    const QColor highlighted = palette().color(QPalette::HighlightedText);
    const Position from = std::min(anchor_, cursor_);
    const Position to = std::max(anchor_, cursor_);
    const bool selection = from != to;
    int y = 0;
    for (int i = FirstVisibleLine(); i < LineCount() && y < viewport()->height(); ++i, y += h) {
        const QString line = LineText(i);
        const int baseline = y + fm.ascent();
        if (!selection || i < from.Line || i > to.Line) {
            p.setPen(text);
            p.drawText(QPoint(x0, baseline), line);
            continue;
        }
        const int a = i == from.Line ? from.Column : 0;
        const int b = i == to.Line ? to.Column : static_cast<int>(line.size());
        const int xa = x0 + TextX(line, a);
        const int xb = x0 + TextX(line, b) + (i < to.Line ? fm.horizontalAdvance(QLatin1Char(' ')) : 0);
        p.fillRect(QRect(xa, y, xb - xa, h), palette().brush(QPalette::Highlight));
        p.setPen(text);
        p.drawText(QPoint(x0, baseline), line.left(a));
        p.drawText(QPoint(x0 + TextX(line, b), baseline), line.mid(b));
        p.setPen(highlighted);
        p.drawText(QPoint(xa, baseline), line.mid(a, b - a));
    }
    if (hasFocus() && cursor_.Line >= FirstVisibleLine() && cursor_.Line < FirstVisibleLine() + PageLines() + 1) {
        const int x = x0 + TextX(LineText(cursor_.Line), cursor_.Column);
        p.fillRect(QRect(x, (cursor_.Line - FirstVisibleLine()) * h, 1, h), text);
    }
}

void ReportView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void ReportView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) UpdateScrollBars();
}

void ReportView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        Copy();
        return;
    }
    const int last = std::max(0, LineCount() - 1);
    const QString line = LineText(cursor_.Line);
    Position to = cursor_;
    bool keepGoal = false;
    const auto vertical = [&](int lines) {
        if (goalX_ < 0) goalX_ = TextX(line, cursor_.Column);
        to.Line = std::clamp(cursor_.Line + lines, 0, last);
        to.Column = HitTest(QPoint(kMargin - horizontalScrollBar()->value() + goalX_,
                                   (to.Line - FirstVisibleLine()) * fontMetrics().lineSpacing()))
                        .Column;
        keepGoal = true;
    };
    bool select = false;
    using K = QKeySequence;
    if (event->matches(K::MoveToNextChar) || (select = event->matches(K::SelectNextChar))) {
        if (to.Column < line.size())
            to.Column += line[to.Column].isHighSurrogate() && to.Column + 1 < line.size() ? 2 : 1;
        else if (to.Line < last)
            to = {to.Line + 1, 0};
    } else if (event->matches(K::MoveToPreviousChar) || (select = event->matches(K::SelectPreviousChar))) {
        if (to.Column > 0)
            to.Column -= to.Column > 1 && line[to.Column - 1].isLowSurrogate() ? 2 : 1;
        else if (to.Line > 0)
            to = {to.Line - 1, LineLength(to.Line - 1)};
    } else if (event->matches(K::MoveToNextLine) || (select = event->matches(K::SelectNextLine))) {
        vertical(1);
    } else if (event->matches(K::MoveToPreviousLine) || (select = event->matches(K::SelectPreviousLine))) {
        vertical(-1);
    } else if (event->matches(K::MoveToNextPage) || (select = event->matches(K::SelectNextPage))) {
        // The page moves with the caret, as in a text edit.
        verticalScrollBar()->setValue(verticalScrollBar()->value() + PageLines());
        vertical(PageLines());
    } else if (event->matches(K::MoveToPreviousPage) || (select = event->matches(K::SelectPreviousPage))) {
        verticalScrollBar()->setValue(verticalScrollBar()->value() - PageLines());
        vertical(-PageLines());
    } else if (event->matches(K::MoveToStartOfLine) || (select = event->matches(K::SelectStartOfLine))) {
        to.Column = 0;
    } else if (event->matches(K::MoveToEndOfLine) || (select = event->matches(K::SelectEndOfLine))) {
        to.Column = static_cast<int>(line.size());
    } else if (event->matches(K::MoveToStartOfDocument) || (select = event->matches(K::SelectStartOfDocument))) {
        to = {0, 0};
    } else if (event->matches(K::MoveToEndOfDocument) || (select = event->matches(K::SelectEndOfDocument))) {
        to = {last, LineLength(last)};
    } else {
        // Read-only: typing and every other key change nothing here.
        event->ignore();
        return;
    }
    if (!keepGoal) goalX_ = -1;
    MoveCursor(to, select);
}

void ReportView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    goalX_ = -1;
    dragging_ = true;
    dragPoint_ = event->position().toPoint();
    MoveCursor(HitTest(dragPoint_), event->modifiers() & Qt::ShiftModifier);
}

void ReportView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !(event->buttons() & Qt::LeftButton)) return;
    dragPoint_ = event->position().toPoint();
    MoveCursor(HitTest(dragPoint_), true);
    // Held above or below the text, the selection goes on scrolling.
    if (viewport()->rect().contains(dragPoint_))
        dragScroll_.stop();
    else if (!dragScroll_.isActive())
        dragScroll_.start(50, this);
}

void ReportView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragging_ = false;
        dragScroll_.stop();
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void ReportView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    // The word under the pointer: the run of characters other than spaces around it.
    const Position at = HitTest(event->position().toPoint());
    const QString line = LineText(at.Line);
    int a = at.Column;
    int b = at.Column;
    while (a > 0 && !line[a - 1].isSpace()) --a;
    while (b < line.size() && !line[b].isSpace()) ++b;
    goalX_ = -1;
    anchor_ = {at.Line, a};
    MoveCursor({at.Line, b}, true);
}

QMenu* ReportView::CreateContextMenu() {
    auto* menu = new QMenu(this);
    QAction* copy = menu->addAction(tr("&Copy"), this, &ReportView::Copy);
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(HasSelection());
    menu->addSeparator();
    QAction* all = menu->addAction(tr("Select All"), this, &ReportView::SelectAll);
    all->setShortcut(QKeySequence::SelectAll);
    all->setEnabled(LineCount() > 0);
    return menu;
}

void ReportView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = CreateContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void ReportView::timerEvent(QTimerEvent* event) {
    if (event->timerId() == indexing_.timerId()) {
        IndexMore();
        return;
    }
    if (event->timerId() != dragScroll_.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    if (!dragging_) {
        dragScroll_.stop();
        return;
    }
    MoveCursor(HitTest(dragPoint_), true);
}

void ReportView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void ReportView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}
