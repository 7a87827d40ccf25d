// What the window tests of both programs do alike: show a main window and wait until it is on
// the screen and active, and press keys where the focus is, as a user's keyboard would.
#pragma once

#include <QApplication>
#include <QSize>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace test_support {

// Shows the window at the size the tests lay out for, makes it the active one and waits for it.
inline void ShowMainWindow(QWidget* window, QSize size = QSize(1000, 700)) {
    window->resize(size);
    window->show();
    QApplication::setActiveWindow(window);
    (void)QTest::qWaitForWindowExposed(window);
    QApplication::processEvents();
}

// A key press and release where the focus is: the cell editor when it is open, else the grid.
// The press may move the focus, so the release goes where the focus is then.
inline void KeyToFocus(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* w = QApplication::focusWidget();
    ASSERT_NE(w, nullptr);
    QTest::keyPress(w, key, mods);
    QApplication::processEvents();
    w = QApplication::focusWidget();
    ASSERT_NE(w, nullptr);
    QTest::keyRelease(w, key, mods);
    QApplication::processEvents();
}

}  // namespace test_support
