// The windows need an application object; tests never want a real display. It is the
// program's own, so that exceptions reaching the event dispatch are handled as in the program.
#include <gtest/gtest.h>

#include "workbench/halvorine_app.h"
#include "workbench/services.h"

using namespace halvorine;

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // ctest lists the tests without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    THalvorineApp app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Halvorine"));
    WireServices();  // as the program does at start; a test that replaces a service wires them again
    return RUN_ALL_TESTS();
}
