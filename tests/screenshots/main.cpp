// Takes the pictures of the windows for a person to look at; asserts nothing, so it is a tool
// and not a test. Usage: workbench_screenshots FOLDER [gtest options], under a display server
// (e.g. Xvfb with DISPLAY set), or with SHEETS_SCREENSHOT_DIR naming the folder.
#include <gtest/gtest.h>

#include <QDir>

#include <cstring>

#include "workbench/halvorine_app.h"
#include "workbench/services.h"

using namespace halvorine;

int main(int argc, char** argv) {
    if (argc > 1 && argv[1][0] != '-') {
        QDir().mkpath(QString::fromLocal8Bit(argv[1]));
        qputenv("SHEETS_SCREENSHOT_DIR", QDir(QString::fromLocal8Bit(argv[1])).absolutePath().toLocal8Bit());
        for (int i = 1; i + 1 < argc; ++i) argv[i] = argv[i + 1];
        --argc;
    }
    if (qEnvironmentVariableIsEmpty("SHEETS_SCREENSHOT_DIR")) {
        std::fprintf(stderr, "usage: %s FOLDER [gtest options]\n", argv[0]);
        return 2;
    }
    // Only the picture-taking cases of the window tests this tool is built with.
    ::testing::GTEST_FLAG(filter) = "*Screenshot*";
    ::testing::InitGoogleTest(&argc, argv);
    THalvorineApp app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Halvorine"));
    WireServices();
    return RUN_ALL_TESTS();
}
