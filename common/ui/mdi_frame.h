// The window commands both programs' MDI frames share.
#pragma once

#include <QList>

class QMdiArea;
class QMdiSubWindow;
class QWidget;

// The child windows that are open (not hidden), in the area's order.
QList<QMdiSubWindow*> OpenChildWindows(const QMdiArea* area);
// Restores a minimised window and makes it the active one.
void BringChildToFront(QMdiArea* area, QMdiSubWindow* window);
// Minimised windows in rows along the bottom of the area, a new row above when one is full.
void ArrangeChildIcons(QMdiArea* area);
// The open children that are not minimised side by side in rows and columns over the area as
// it is (the frame keeps its size).
void TileChildren(QMdiArea* area);
// Every open child minimised, from the last to the first.
void MinimizeAllChildren(QMdiArea* area);

// Long work on the window thread holds the event loop: the widget (a caption that changed, the
// area a closed dialog covered) is painted and sent to the screen at once, with what the window
// system has to say about windows. Keys and clicks are not taken here; under an InputHold they
// are dropped when the work is done.
void PaintNow(QWidget& widget);
