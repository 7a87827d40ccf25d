// The three sheets a user types into (experts, realisations, an expert's assessments) and a click
// on one of their cells as a user makes it, shared by the typing tests.
#pragma once

#include <QApplication>
#include <QTest>

#include "common/ui/sheet_grid.h"
#include "engine/globals.h"
#include "workbench/experts_sheet.h"
#include "workbench/items_sheet.h"
#include "workbench/sheet_windows.h"

namespace sheet_cells {

using namespace halvorine;

enum Sheet { E, R, A };

// The sheet's grid, null when it is not open (A: the first open assessments sheet).
inline SheetGrid* GridOf(Sheet s) {
    switch (s) {
    case E: return ExpertsSheet ? ExpertsSheet->ExpertsGrid : nullptr;
    case R: return ChildSheets[0] ? ChildSheets[0]->ItemsGrid : nullptr;
    case A:
        for (int r = 1; r <= MaxExpertCount; ++r)
            if (ChildSheets[r]) return ChildSheets[r]->ItemsGrid;
        return nullptr;
    }
    return nullptr;
}

// Press and release on the viewport at the cell, scrolled into view first.
inline void ClickCell(SheetGrid* grid, int col, int row) {
    const QModelIndex i = grid->model()->index(row - grid->Source()->HeaderRows(), col);
    grid->scrollTo(i);
    QApplication::processEvents();
    const QPoint p = grid->visualRect(i).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, p);
    QApplication::processEvents();
}

}  // namespace sheet_cells
