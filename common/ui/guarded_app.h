// An exception a command lets through (an I/O failure while reading or writing a file) is shown
// in a message box with its text, and the program goes on with the next event. Menu and tool-bar
// commands run inside RunCommand, since an exception must not leave a slot that Qt called; the
// application's event dispatch catches what other event handlers (keys and mice) let through.
#pragma once

#include <QApplication>

#include <exception>
#include <string>

namespace platform {
class Prompts;
}

class TGuardedApp : public QApplication {
public:
    // prompts: the program's own pointer to the platform services, read when a box is shown.
    TGuardedApp(int& argc, char** argv, platform::Prompts* const& prompts);

    bool notify(QObject* receiver, QEvent* event) override;
};

// The message box of an exception that ended a command.
void ShowCommandException(const std::string& text);

template <typename F>
void RunCommand(F&& command) {
    try {
        command();
    } catch (const std::exception& e) {
        ShowCommandException(e.what());
    } catch (...) {
        ShowCommandException("Unknown error");
    }
}
