#include "workbench/sheet_windows.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>

#include "common/ui/sheet_window.h"
#include "engine/case_files.h"
#include "engine/tables.h"
#include "workbench/case_state.h"
#include "workbench/experts_sheet.h"
#include "workbench/items_sheet.h"
#include "workbench/record_links.h"

namespace halvorine {

std::array<QPointer<TItemsSheet>, ChildSheetSlots + 1> ChildSheets{};
QPointer<TExpertsSheet> ExpertsSheet;
QPointer<TItemsSheet> ItemsSheet;

WindowFlagSet CurrentWindowFlags() {
    return ReadWindowFlags(ChildSheets, ExpertsSheet);
}

namespace {

// A window showing an expert that is being freed closes.
struct ListenerInstaller {
    ListenerInstaller() {
        SetExpertFreedListener([](const TExpert* expert) {
            for (TItemsSheet* s : ChildSheets)
                if (s && s->Core.Expert == expert) s->ExpertGone();
        });
    }
} installer;

}  // namespace

void PutBackSideTables() {
    RestoreFilteredExperts(FilteredExperts);
    RestoreFilteredItems(FilteredItems);
}

void InvalidateChildren() {
    for (TItemsSheet* s : ChildSheets)
        if (s && !s->IsGone()) s->Reload();
}

int FindResultSheet(int expertIndex) {
    if (expertIndex < 1 || expertIndex > ExpertSlotCount || !ExpertTable[expertIndex]) return 0;
    const TExpert* x = ExpertTable[expertIndex].get();
    for (int i = FirstResultSlot; i <= ChildSheetSlots; ++i)
        if (ChildSheets[i] && ChildSheets[i]->Core.Expert == x) return i;
    return 0;
}

int FindFreeResultSlot() {
    for (int i = FirstResultSlot; i <= ChildSheetSlots; ++i)
        if (!ChildSheets[i]) return i;
    return 0;
}

void KeepClearOfRunDialog(QMdiSubWindow* window) {
    QMdiSubWindow* dialog = RunDialog.data();
    if (!window || !dialog || window == dialog || dialog->isHidden() || !window->mdiArea() ||
        window->mdiArea() != dialog->mdiArea())
        return;
    if (window->isMaximized() || window->isMinimized() || dialog->isMinimized()) return;
    const QRect d = dialog->geometry();
    QRect g = window->geometry();
    if (!g.intersects(d)) return;
    constexpr int gap = 4, narrowest = 160;
    if (d.left() - gap >= narrowest) {
        // Beside the dialog on its left, as wide as there is room for: the grid scrolls.
        const int room = d.left() - gap;
        g.setWidth(std::min(g.width(), room));
        g.moveLeft(std::clamp(g.left(), 0, room - g.width()));
    } else {
        g.moveTop(d.bottom() + 1 + gap);
    }
    window->setGeometry(g);
}

void KeepWindowsClearOfRunDialog() {
    QMdiSubWindow* dialog = RunDialog.data();
    if (!dialog || !dialog->mdiArea()) return;
    for (QMdiSubWindow* w : dialog->mdiArea()->subWindowList())
        if (w != dialog && w->isVisible()) KeepClearOfRunDialog(w);
}

}  // namespace halvorine
