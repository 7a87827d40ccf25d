// What the picture tools share: the folder SHEETS_SCREENSHOT_DIR names, and a picture of a window
// once it has settled (SCREENSHOT_HOLD_MS, when set, waits longer).
#pragma once

#include <QApplication>
#include <QPixmap>
#include <QString>
#include <QTest>
#include <QWidget>

#include <algorithm>

namespace test_support {

inline QString ScreenshotDir() {
    return QString::fromLocal8Bit(qgetenv("SHEETS_SCREENSHOT_DIR"));
}

// Writes the window as DIR/NAME.png.
inline void Shoot(QWidget* w, const char* name) {
    QApplication::processEvents();
    QTest::qWait(std::max(200, qEnvironmentVariableIntValue("SCREENSHOT_HOLD_MS")));
    w->grab().save(ScreenshotDir() + "/" + name + ".png");
}

}  // namespace test_support
