// What the window tests of both programs do alike: show a main window and wait until it is on
// the screen and active, press keys where the focus is, as a user's keyboard would, and find a
// frame's menus, menu items and speed buttons by the names its builders give them.
#pragma once

#include <QAction>
#include <QApplication>
#include <QList>
#include <QMenu>
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

// The frame's menu item, menu-bar command or speed button of that object name; a menu's own
// item carries the menu's name. Fails the test unless exactly one has the name.
inline QAction* FrameAction(const QObject* frame, const char* name) {
    const QList<QAction*> found = frame->findChildren<QAction*>(QString::fromLatin1(name));
    EXPECT_EQ(found.size(), 1) << "actions called " << name;
    return found.isEmpty() ? nullptr : found.front();
}

// The frame's menu or submenu of that object name. Fails the test unless exactly one has it.
inline QMenu* FrameMenu(const QObject* frame, const char* name) {
    const QList<QMenu*> found = frame->findChildren<QMenu*>(QString::fromLatin1(name));
    EXPECT_EQ(found.size(), 1) << "menus called " << name;
    return found.isEmpty() ? nullptr : found.front();
}

}  // namespace test_support
