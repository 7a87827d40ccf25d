// A read-only view of a long text report: the bytes are kept once with an index of line
// starts, or read from the report's file as they are shown (SetFile), and only the lines on
// screen are decoded and painted, so a report of millions of lines opens at once. Caret, selection by mouse and keys,
// Ctrl+A and Ctrl+C as in a read-only memo; no wrapping, both scroll bars.
#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QString>

class QMenu;

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/core/text_file_lines.h"

class ReportView : public QAbstractScrollArea {
    Q_OBJECT
public:
    // A place in the text: a line and a column counted in UTF-16 units of the line as shown.
    struct Position {
        int Line = 0;
        int Column = 0;
        friend bool operator==(const Position&, const Position&) = default;
        friend auto operator<=>(const Position&, const Position&) = default;
    };

    explicit ReportView(QWidget* parent = nullptr);

    // Replaces the text with the lines of bytes: line i is bytes[starts[i], starts[i + 1]).
    void SetLines(std::string bytes, std::vector<std::size_t> starts);
    void AppendLine(std::string_view line);
    // Replaces the text with `blankLines` empty lines and then the lines of the file, read as
    // they are shown: its line ends are found while the event loop runs (the first screen at
    // once), so neither the opening nor what is held grows with the file's length. The file
    // stays open with the view: written over by name later, it still shows as it was. False,
    // with only the empty lines, when it cannot be opened.
    bool SetFile(const std::string& path, int blankLines = 0);
    // Whether the line ends of the file are still being looked for, and all of them found now.
    bool Indexing() const { return file_.IsOpen() && !file_.Done(); }
    void FinishIndexing();

    int LineCount() const;
    std::string LineBytes(int line) const;
    // A line as shown: UTF-8 when the line is valid UTF-8, else Latin-1.
    QString LineText(int line) const;
    // Every line as shown, joined by '\n'.
    QString Text() const;

    Position CursorPosition() const { return cursor_; }
    bool HasSelection() const { return anchor_ != cursor_; }
    QString SelectedText() const;
    void SelectAll();
    // Hands the selected text to the copy target (the system clipboard unless one is set).
    void Copy();
    void SetCopyTarget(std::function<void(const QString&)> target) { copyTarget_ = std::move(target); }

    int FirstVisibleLine() const;
    // Lines that fit wholly in the viewport (at least one).
    int PageLines() const;
    // The right-button menu: Copy and Select All, as a read-only text edit offers them.
    QMenu* CreateContextMenu();
    // Where a character cell is drawn, in viewport coordinates.
    QRect CharRect(Position at) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int LineLength(int line) const;
    int TextX(const QString& text, int column) const;  // pixels from the line's left edge
    Position HitTest(const QPoint& point) const;
    void MoveCursor(Position to, bool keepAnchor);
    void EnsureVisible(Position at);
    void UpdateScrollBars();
    void NoteWidth(int line);
    void IndexMore();
    int MemoryLines() const { return static_cast<int>(starts_.size()) - 1; }

    std::string bytes_;
    std::vector<std::size_t> starts_{0};
    int widestColumns_ = 0;
    Position anchor_;
    Position cursor_;
    int goalX_ = -1;  // kept across Up/Down/PgUp/PgDn so the caret comes back to its column
    bool dragging_ = false;
    QPoint dragPoint_;
    QBasicTimer dragScroll_;
    TextFileLines file_;  // the lines after the ones in memory, when a file is shown
    QBasicTimer indexing_;
    std::function<void(const QString&)> copyTarget_;
};
