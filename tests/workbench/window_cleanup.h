// What the window tests do after each test: the sheet windows go without asking anything,
// and the references to them with them.
#pragma once

#include <QMdiArea>
#include <QMdiSubWindow>

#include "workbench/sheet_windows.h"

using namespace halvorine;

inline void DeleteSheetWindows(QMdiArea* area) {
    for (QMdiSubWindow* w : area->subWindowList()) {
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        delete w;
    }
}

inline void ForgetSheets() {
    ChildSheets.fill(nullptr);
    ExpertsSheet = nullptr;
    ItemsSheet = nullptr;
}
