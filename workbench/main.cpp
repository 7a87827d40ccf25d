#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>

#include "engine/globals.h"
#include "workbench/logo_form.h"
#include "workbench/quantiles_form.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Halvorine");
    ResetGlobals();

    // The main window of the program is not built yet: a bare frame stands in for it.
    QMainWindow frame;
    frame.setObjectName("MainForm");
    frame.setWindowTitle("Halvorine v1.0");
    frame.setCentralWidget(new QMdiArea(&frame));
    frame.resize(800, 600);
    frame.show();

    TQuantilesForm quantiles(&frame); // kept hidden: every prompt makes its own
    TLogoForm logo(&frame);
    return app.exec();
}
