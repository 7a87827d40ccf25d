// What the F4 tests of both programs do alike: rows of a sheet picked in row mode as a user picks
// them, the cases of flags before and after, and the flags read off a case table.
#pragma once

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <ostream>
#include <string>

#include "common/ui/sheet_grid.h"
#include "ui_test_support.h"

namespace filter_rows {

enum class Select { Keys, Mouse };

struct FilterCase {
    const char* Name;
    bool Items;    // the realisations sheet, else the experts sheet
    int From, To;  // the row clicked first and the row the selection is drawn to
    Select By;     // Shift+Up/Down, or a Shift+click on the last row
    // The flags of the case's experts and items ('F' flagged), before and after F4.
    const char* ExpertsBefore;
    const char* ItemsBefore;
    const char* ExpertsAfter;
    const char* ItemsAfter;
};

inline void PrintTo(const FilterCase& c, std::ostream* os) {
    *os << c.Name;
}

// The filter flags of a case table's records from slot 1 up to its first empty slot.
template <class Table>
std::string FlagLetters(const Table& table) {
    std::string s;
    for (std::size_t i = 1; i < table.size() && table[i]; ++i) s += table[i]->FilterFlag ? 'F' : '.';
    return s;
}

inline void ClickCell(SheetGrid* grid, int col, int row, Qt::KeyboardModifiers mods = {}) {
    const QModelIndex i = grid->model()->index(row - grid->Source()->HeaderRows(), col);
    grid->scrollTo(i);
    QApplication::processEvents();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, mods, grid->visualRect(i).center());
    QApplication::processEvents();
}

// From the sheet as it opened: a click on row From, F3 to row mode, and the selection drawn to
// row To by the keys or by the mouse.
inline void PickRows(SheetGrid* grid, const FilterCase& c) {
    ClickCell(grid, 1, c.From);
    test_support::KeyToFocus(Qt::Key_F3);
    ASSERT_FALSE(grid->EditorMode()) << "F3 goes to row mode";
    if (c.By == Select::Keys) {
        for (int r = c.From; r != c.To; r += c.To > c.From ? 1 : -1)
            test_support::KeyToFocus(c.To > c.From ? Qt::Key_Down : Qt::Key_Up, Qt::ShiftModifier);
    } else {
        ClickCell(grid, 1, c.From);
        ClickCell(grid, 1, c.To, Qt::ShiftModifier);
    }
    int first = 0, last = 0;
    grid->SelectedRows(first, last);
    ASSERT_EQ(first, std::min(c.From, c.To));
    ASSERT_EQ(last, std::max(c.From, c.To));
}

// The sheet greys the rows flagged, and only those.
inline void ExpectGreyedAsFlagged(SheetGrid* grid, const std::string& flags) {
    for (int row = 1; row <= static_cast<int>(flags.size()); ++row)
        EXPECT_EQ(grid->Source()->CellStyleAt(1, row).Greyed, flags[row - 1] == 'F') << "row " << row;
}

}  // namespace filter_rows
