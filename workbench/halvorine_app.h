// An exception that a command lets through (an I/O failure while reading or writing a file)
// is shown in a message box with its text, and the program goes on with the next event.
// Menu and tool-bar commands are run inside RunCommand, since an exception must not leave a
// slot that Qt called; the application's event dispatch catches what other event handlers
// (the sheets' keys and mice) let through.
#pragma once

#include <QApplication>

#include <exception>
#include <string>

class THalvorineApp : public QApplication {
    Q_OBJECT
public:
    THalvorineApp(int& argc, char** argv);

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
