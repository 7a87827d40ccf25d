#include "workbench/logo_form.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "workbench/jpeg_picture.h"

namespace halvorine {

TLogoForm::TLogoForm(QWidget* mainForm)
    : QWidget(mainForm, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("LogoForm");
    setWindowTitle("Logo");
    setAttribute(Qt::WA_DeleteOnClose, false);
    // A picture to look at, not to type into: the keyboard stays with the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(640, 480);

    LogoImage = new QLabel(this);
    LogoImage->setObjectName("LogoImage");
    LogoImage->setAlignment(Qt::AlignCenter);
    LogoImage->setPixmap(QPixmap::fromImage(SplashImage()));
    LogoImage->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(LogoImage);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(6000);
    connect(Timer1, &QTimer::timeout, this, &TLogoForm::Timer1Timer);
    Timer1->start();

    if (mainForm) {
        QRect frame = mainForm->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    show();
}

void TLogoForm::Timer1Timer() {
    Timer1->stop();
    close();
}

void TLogoForm::FormClick() {
    Timer1->stop();
    close();
}

void TLogoForm::LogoImageMouseDown() {
    // Holding the button keeps the picture up until it is released, or 26 s at most.
    Timer1->start(26000);
}

void TLogoForm::LogoImageMouseUp() {
    Timer1->stop();
    close();
}

void TLogoForm::mousePressEvent(QMouseEvent* event) {
    FormClick();
    event->accept();
}

bool TLogoForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == LogoImage) {
        if (event->type() == QEvent::MouseButtonPress) {
            LogoImageMouseDown();
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            LogoImageMouseUp();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace halvorine
