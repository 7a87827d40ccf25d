// The splash window shown over the main window at start.
#pragma once

#include <QWidget>

class QLabel;
class QTimer;

namespace halvorine {

class TLogoForm : public QWidget {
    Q_OBJECT
public:
    explicit TLogoForm(QWidget* mainForm);

    QTimer* Timer1;
    QLabel* LogoImage;

public slots:
    void Timer1Timer();
    void FormClick();
    void LogoImageMouseDown();
    void LogoImageMouseUp();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace halvorine
