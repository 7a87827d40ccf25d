#include "workbench/about_form.h"

#include <QFont>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "common/core/pascal_str.h"
#include "engine/constants.h"

namespace halvorine {

std::string AboutLimitsLine() {
    return "(max " + StrInt(MaxExpertCount) + " experts / " + StrInt(MaxItemCount) + " items supported)";
}

std::vector<AboutLine> AboutTextLayout() {
    static const char* const texts[14] = {
        "Halvorine scores experts on seed items by their", "calibration and information, and pools their",
        "quantile assessments into a decision maker",      "under global, item, equal or user weights.",
        "WTrindel, started from Halvorine's menu, fits",   "paired-comparison models to the preferences",
        "experts state between pairs of items and",        "writes a report of the fits.",
        "The Help menu shows the program's help.",         "Please send comments, and reports of wrong",
        "results with the case files that show them.",     "Thank you for helping to improve Halvorine.",
        "Case files: assessments (.dtt), items (.rls);",   "paired comparisons (.ey, .iy).",
    };
    static const int ys[14] = {46, 60, 74, 88, 116, 130, 144, 158, 186, 214, 228, 256, 284, 298};
    std::vector<AboutLine> lines;
    for (int i = 0; i < 14; ++i) lines.push_back({10, ys[i], texts[i]});
    return lines;
}

TAbout::TAbout(QWidget* mainForm, const QString& title) : QDialog(mainForm), title_(title) {
    setObjectName("About");
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle("About Halvorine");
    setFixedSize(439, 367);

    QFont bold = font();
    bold.setBold(true);
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setFont(bold);
    Label1->move(160, 8);
    Label2 = new QLabel(this);
    Label2->setObjectName("Label2");
    Label2->setFont(bold);
    Label2->move(104, 24);
    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setGeometry(184, 328, 75, 25);
    connect(OKButton, &QPushButton::clicked, this, &TAbout::OKButtonClick);
    PaintAboutText();

    if (mainForm) {
        QRect frame = mainForm->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    show();
}

void TAbout::OKButtonClick() {
    hide();
}

void TAbout::PaintAboutText() {
    Label1->setText(title_);
    Label1->adjustSize();
    Label2->setText(QString::fromStdString(AboutLimitsLine()));
    Label2->adjustSize();
}

void TAbout::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    PaintAboutText();
    QPainter painter(this);
    QFont courier("Courier");
    courier.setStyleHint(QFont::TypeWriter);
    courier.setPointSize(8);
    painter.setFont(courier);
    painter.setPen(palette().color(QPalette::WindowText));
    for (const auto& line : AboutTextLayout())
        painter.drawText(line.X, line.Y + painter.fontMetrics().ascent(), QString::fromStdString(line.Text));
}

}  // namespace halvorine
