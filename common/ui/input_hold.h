// Long work that holds the window thread (a run, the robustness runs). While an InputHold
// lives, keys, clicks and wheel turns meant for the program's windows are dropped, not kept
// in the queue for after the work, where they would run commands the user no longer meant.
// The windows still repaint when the work paints them (PaintNow). A modal window that the
// work itself opens (an error message) takes input as usual. Holds nest: the outermost one
// decides.
#pragma once

class InputHold {
public:
    InputHold();
    // What came in meanwhile is taken off the queue and dropped before input is let through again.
    ~InputHold();
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

    static bool Active();
};
