// The About box of the Help menu.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QLabel;
class QPushButton;

namespace halvorine {

struct AboutLine {
    int X;
    int Y;
    std::string Text;
};

// The fourteen text lines painted on the box, with their positions.
std::vector<AboutLine> AboutTextLayout();
// "(max 1000 experts / 1000 items supported)"
std::string AboutLimitsLine();

class TAbout : public QDialog {
    Q_OBJECT
public:
    TAbout(QWidget* mainForm, const QString& title);

    QLabel* Label1;
    QLabel* Label2;
    QPushButton* OKButton;

public slots:
    void OKButtonClick();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintAboutText();
    QString title_;
};

}  // namespace halvorine
