#include "common/ui/input_hold.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace {

bool IsUserInput(QEvent::Type t) {
    switch (t) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove: return true;
    default: return false;
    }
}

class InputDropper : public QObject {
public:
    explicit InputDropper(QWidget* modalBefore) : modalBefore_(modalBefore) {}

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (!IsUserInput(event->type())) return false;
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != modalBefore_) {
            // A message the work shows is answered as usual.
            if (auto* w = qobject_cast<QWidget*>(receiver); w && (w == modal || modal->isAncestorOf(w))) return false;
            if (auto* win = qobject_cast<QWindow*>(receiver); win && win == modal->windowHandle()) return false;
        }
        return true;
    }

private:
    QPointer<QWidget> modalBefore_;
};

int depth = 0;
InputDropper* dropper = nullptr;

}  // namespace

InputHold::InputHold() {
    if (depth++ > 0 || !qApp) return;
    dropper = new InputDropper(QApplication::activeModalWidget());
    qApp->installEventFilter(dropper);
}

InputHold::~InputHold() {
    if (--depth > 0 || !dropper) return;
    // Input that came in during the work is still queued (painting took only what the window
    // system had to say about windows): it goes through the filter now, and is dropped.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    qApp->removeEventFilter(dropper);
    delete dropper;
    dropper = nullptr;
}

bool InputHold::Active() {
    return depth > 0;
}
