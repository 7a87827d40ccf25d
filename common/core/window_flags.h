// Which sheet of a program's main window is open and which is active, the same record in both
// programs: the sheets write it as they open, activate and close; the menu enabling and the
// commands of the main windows read it.
#pragma once

#include <array>

// Indices of WindowFlags: the realisations sheet (the items sheet without an expert), the experts
// sheet, and a sheet of one expert's (or decision maker's) items (Halvorine's assessments or
// result sheet, WTrindel's comparisons sheet); each open / active.
enum WindowFlag : int {
    RealisationsOpen = 0,
    RealisationsActive = 1,
    ExpertsOpen = 2,
    ExpertsActive = 3,
    ExpertItemsOpen = 4,
    ExpertItemsActive = 5,
};

using WindowFlagSet = std::array<bool, 6>;
