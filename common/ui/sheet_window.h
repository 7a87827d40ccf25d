// What the sheet windows of both programs have in common: an MDI child drawn from a Qt-free core
// whose commands report their effects, and a repaint the frame asks of every sheet alike.
#pragma once

#include <QMdiSubWindow>
#include <QPointer>

#include <array>
#include <cstddef>
#include <utility>
#include <vector>

#include "common/core/window_flags.h"

class TSheetWindow : public QMdiSubWindow {
    Q_OBJECT
public:
    using QMdiSubWindow::QMdiSubWindow;

    // Lays the grid out anew where the view or the data changed, and repaints it.
    virtual void FormPaint() = 0;

protected:
    // The grid's cursor handed to the core, so that a command acts where the user is.
    virtual void SyncCursor() = 0;
    // The effects a command of the core reported, carried out on the window.
    virtual void Apply(unsigned effects) = 0;

    // A command of the core at the grid's cursor, its effects carried out together with `also`.
    template <typename Core, typename... Params, typename... Args>
    void Forward(unsigned also, Core& core, unsigned (Core::*command)(Params...), Args&&... args) {
        SyncCursor();
        Apply((core.*command)(std::forward<Args>(args)...) | also);
    }
    template <typename Core, typename... Params, typename... Args>
    void Forward(Core& core, unsigned (Core::*command)(Params...), Args&&... args) {
        Forward(0u, core, command, std::forward<Args>(args)...);
    }
};

// Which sheet is open and which is the MDI area's current window, read off the windows each time
// it is asked so that it cannot fall out of step with them: `realisations` and `experts` the two
// sheets (null: not open), `expertItems` the open sheets of one expert's items. A message box or
// dialog over the frame leaves the current window current.
WindowFlagSet ReadWindowFlags(const QMdiSubWindow* realisations, const QMdiSubWindow* experts,
                              const std::vector<const QMdiSubWindow*>& expertItems);

// The same for a program's table of child sheets: entry 0 the realisations sheet, every other
// entry a sheet of one expert's items.
template <typename Sheet, std::size_t N>
WindowFlagSet ReadWindowFlags(const std::array<QPointer<Sheet>, N>& childSheets, const QMdiSubWindow* experts) {
    std::vector<const QMdiSubWindow*> expertItems;
    for (std::size_t r = 1; r < N; ++r)
        if (childSheets[r]) expertItems.push_back(childSheets[r]);
    return ReadWindowFlags(childSheets[0], experts, expertItems);
}
