#include "pairwise/ui/trindel_app.h"

#include <QMessageBox>

#include "pairwise/model/globals.h"
#include "platform/prompts.h"

TTrindelApp::TTrindelApp(int& argc, char** argv) : QApplication(argc, argv) {}

void ShowCommandException(const std::string& text) {
    if (Platform) {
        Platform->Message(platform::MessageKind::Error, text, platform::Buttons::Ok);
        return;
    }
    QMessageBox::critical(nullptr, QApplication::applicationName(), QString::fromStdString(text));
}

bool TTrindelApp::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    RunCommand([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
