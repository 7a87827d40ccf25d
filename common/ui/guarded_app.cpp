#include "common/ui/guarded_app.h"

#include <QMessageBox>

#include "platform/prompts.h"

namespace {
platform::Prompts* const* programPrompts = nullptr;
}

TGuardedApp::TGuardedApp(int& argc, char** argv, platform::Prompts* const& prompts) : QApplication(argc, argv) {
    programPrompts = &prompts;
}

void ShowCommandException(const std::string& text) {
    if (programPrompts && *programPrompts) {
        (*programPrompts)->Message(platform::MessageKind::Error, text, platform::Buttons::Ok);
        return;
    }
    QMessageBox::critical(nullptr, QApplication::applicationName(), QString::fromStdString(text));
}

bool TGuardedApp::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    RunCommand([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
