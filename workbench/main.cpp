#include "engine/globals.h"
#include "workbench/halvorine_app.h"
#include "workbench/logo_form.h"
#include "workbench/main_form.h"
#include "workbench/quantiles_form.h"
#include "workbench/run_dialog.h"
#include "workbench/services.h"
#include "workbench/window_state.h"

using namespace halvorine;

int main(int argc, char** argv) {
    THalvorineApp app(argc, argv);
    QApplication::setApplicationName("Halvorine");
    ResetGlobals();
    ResetWindowState();
    WireServices();

    TMainForm mainForm;
    mainForm.show();
    TQuantilesForm quantiles(&mainForm);  // kept hidden: every prompt makes its own
    TLogoForm logo(&mainForm);
    return app.exec();
}
