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
    bool failed = true;
    RunCommand([&] {
        handled = QApplication::notify(receiver, event);
        failed = false;
    });
    // A window whose close failed half-way (its save threw) stays open with what it holds: the
    // close event would otherwise still count as accepted.
    if (failed && event->type() == QEvent::Close) event->ignore();
    return handled;
}
