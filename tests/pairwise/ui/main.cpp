// The windows need an application object; tests never want a real display. It is the
// program's own, so that exceptions reaching the event dispatch are handled as in the program.
#include <gtest/gtest.h>

#include "pairwise/ui/trindel_app.h"

using namespace trindel;

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // ctest lists the tests without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TTrindelApp app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("wtrindel"));
    return RUN_ALL_TESTS();
}
