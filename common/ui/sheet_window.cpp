#include "common/ui/sheet_window.h"

#include <QMdiArea>

#include <algorithm>

WindowFlagSet ReadWindowFlags(const QMdiSubWindow* realisations, const QMdiSubWindow* experts,
                              const std::vector<const QMdiSubWindow*>& expertItems) {
    WindowFlagSet flags{};
    flags[RealisationsOpen] = realisations != nullptr;
    flags[ExpertsOpen] = experts != nullptr;
    flags[ExpertItemsOpen] = !expertItems.empty();
    const QMdiArea* area = realisations ? realisations->mdiArea() : experts ? experts->mdiArea() : nullptr;
    if (!area && !expertItems.empty()) area = expertItems.front()->mdiArea();
    const QMdiSubWindow* current = area ? area->currentSubWindow() : nullptr;
    if (!current) return flags;
    flags[RealisationsActive] = current == realisations;
    flags[ExpertsActive] = current == experts;
    flags[ExpertItemsActive] = std::find(expertItems.begin(), expertItems.end(), current) != expertItems.end();
    return flags;
}
