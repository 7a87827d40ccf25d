// An exception a command lets through (an I/O failure while reading or writing a file) is
// shown in a message box with its text, and the program goes on with the next event. Menu
// commands run inside RunCommand; the application's event dispatch catches what other
// event handlers (the sheets' keys and mice) let through.
#pragma once

#include <QApplication>

#include <exception>
#include <string>

class TTrindelApp : public QApplication {
    Q_OBJECT
public:
    TTrindelApp(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

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
