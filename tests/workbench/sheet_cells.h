// The three sheets a user types into (experts, realisations, an expert's assessments), a click
// on one of their cells as a user makes it, and the case's stored fields to compare, shared by
// the typing tests.
#pragma once

#include <QApplication>
#include <QTest>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/ui/sheet_grid.h"
#include "engine/globals.h"
#include "engine/tables.h"
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

// Every stored field of the case, keyed by what it is, so that a difference names the cell.
inline std::map<std::string, std::string> CaseRecords() {
    std::map<std::string, std::string> out;
    auto num = [](double v) {
        std::ostringstream s;
        s.precision(9);
        s << v;
        return s.str();
    };
    for (int i = 1; i <= MaxItemCount; ++i) {
        const TItem* it = ItemTable[i].get();
        if (!it) continue;
        const std::string key = "item " + std::to_string(i);
        out[key + " Id"] = it->Id.str();
        out[key + " Scale"] = it->Scale.str();
        out[key + " Realization"] = it->HasRealisation ? num(it->Realisation) : "-";
        out[key + " Name"] = it->Name.str();
    }
    for (int e = 1; e <= ExpertSlotCount; ++e) {
        const TExpert* x = ExpertTable[e].get();
        if (!x) continue;
        const std::string key = "expert " + std::to_string(e);
        out[key + " Id"] = x->Id.str();
        out[key + " Name"] = x->Name.str();
        out[key + " Weight"] = num(x->Weight);
        for (int s = 1; s <= MaxItemCount; ++s) {
            const TAssessment* a = x->Assessments[s].get();
            if (!a || !a->Item) continue;
            for (int k = 1; k <= QuantileCount; ++k)
                out[key + " " + a->Item->Id.str() + " q" + std::to_string(k)] = num(a->Values[k]);
        }
    }
    return out;
}

// The cells whose values differ, as "key: before -> after".
inline std::vector<std::string> Changes(const std::map<std::string, std::string>& before,
                                        const std::map<std::string, std::string>& after) {
    std::vector<std::string> out;
    for (const auto& [k, v] : after) {
        auto it = before.find(k);
        if (it == before.end())
            out.push_back(k + ": (none) -> " + v);
        else if (it->second != v)
            out.push_back(k + ": " + it->second + " -> " + v);
    }
    for (const auto& [k, v] : before)
        if (!after.count(k)) out.push_back(k + ": " + v + " -> (none)");
    return out;
}

}  // namespace sheet_cells
