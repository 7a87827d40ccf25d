// Answers the modal dialog a command is about to show: `drive` runs on it once it is up, and a
// dialog that `drive` left open is rejected, so that a failing test cannot hang.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

template <class Dialog>
void WhenModalComesUp(std::function<void(Dialog&)> drive, bool& came) {
    came = false;
    QTimer::singleShot(0, [drive, &came] {
        auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!d) return;
        came = true;
        drive(*d);
        if (d->isVisible()) {
            ADD_FAILURE() << "the dialog stayed open";
            d->reject();
        }
    });
}
