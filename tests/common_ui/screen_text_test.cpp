// Case text is bytes: every place that shows it (the sheets of both programs, their report
// windows, the message boxes, file choices and dialog captions) shows it by one rule, and an edit
// of what is shown gives back the bytes it showed.
#include <gtest/gtest.h>

#include "common/ui/report_view.h"
#include "common/ui/sheet_grid.h"
#include "platform/qt/qt_prompts.h"

namespace {

// One header row and one cell.
class OneCell : public GridSource {
public:
    std::string Text;
    std::string Edited;
    int GridRows() const override { return 2; }
    int GridCols() const override { return 2; }
    int HeaderRows() const override { return 1; }
    std::string CellText(int col, int row) const override { return col == 1 && row == 1 ? Text : ""; }
    int ColumnChars(int) const override { return 10; }
    int ColumnPixels(int) const override { return 64; }
    bool CanSelect(int, int) const override { return true; }
    bool CanEdit(int, int) const override { return true; }
    void SetEditText(int, int, const std::string& text) override { Edited = text; }
};

TEST(ScreenText, EveryPlaceShowsTheBytesByOneRule) {
    const struct {
        const char* what;
        std::string bytes;
        QString shown;
        bool utf8;  // an edit of the text shown gives back the same bytes
    } cases[] = {
        {"ASCII", "Ann Oak", "Ann Oak", true},
        {"UTF-8", "caf\xC3\xA9", QString::fromUtf8("caf\u00e9"), true},
        {"UTF-8 holding U+FFFD", "A\xEF\xBF\xBD", QString::fromUtf8("A\uFFFD"), true},
        {"leading byte-order mark, kept",
         "\xEF\xBB\xBF"
         "Ann",
         QString(QChar(0xFEFF)) + "Ann", true},
        {"four-byte UTF-8", "\xF0\x9F\x98\x80", QString::fromUtf8("\U0001F600"), true},
        {"Latin-1", "caf\xE9", QString::fromUtf8("caf\u00e9"), false},
        {"cut UTF-8 sequence", "\xC3", QString::fromUtf8("\u00c3"), false},
        {"overlong form", "\xC0\xAF", QString::fromUtf8("\u00c0\u00af"), false},
        {"encoded surrogate", "\xED\xA0\x80", QString::fromUtf8("\u00ed\u00a0\u0080"), false},
        {"NUL byte", std::string("a\0b", 3), QString::fromUtf8("a\0b", 3), true},
    };
    OneCell cell;
    SheetModel model(&cell);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        cell.Text = c.bytes;
        const QModelIndex index = model.index(0, 1);
        EXPECT_EQ(model.data(index, Qt::DisplayRole).toString(), c.shown) << "sheet cell";
        EXPECT_EQ(platform::QStringFromBytes(c.bytes), c.shown) << "dialogs and messages";
        ReportView report;
        report.AppendLine(c.bytes);
        EXPECT_EQ(report.LineText(0), c.shown) << "report window";
        ASSERT_TRUE(model.setData(index, model.data(index, Qt::EditRole), Qt::EditRole));
        if (c.utf8) {
            EXPECT_EQ(cell.Edited, c.bytes) << "an unchanged edit keeps the bytes";
        }
    }
}

}  // namespace
