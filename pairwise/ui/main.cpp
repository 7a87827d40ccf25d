#include "pairwise/model/globals.h"
#include "pairwise/ui/main_form.h"
#include "pairwise/ui/trindel_app.h"

using namespace trindel;

int main(int argc, char** argv) {
    TTrindelApp app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("wtrindel"));
    ResetGlobals();
    TMainForm mainForm;
    mainForm.show();
    return app.exec();
}
