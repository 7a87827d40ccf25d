#include "common/ui/flpoint_dlg.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/core/pascal_str.h"

TUpDown::TUpDown(QLineEdit* buddy, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), Min(minimum), Max(maximum), buddy_(buddy) {
    auto* up = new QToolButton(this);
    up->setArrowType(Qt::UpArrow);
    up->setObjectName("Up");
    auto* down = new QToolButton(this);
    down->setArrowType(Qt::DownArrow);
    down->setObjectName("Down");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up);
    layout->addWidget(down);
    connect(up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TUpDown::Step(int delta) {
    long long v = 0;
    if (ValInt(buddy_->text().toStdString(), v) != 0) v = Min;
    v += delta;
    if (v < Min) v = Min;
    if (v > Max) v = Max;
    buddy_->setText(QString::number(v));
    emit Clicked();
}

TFlpointDlg::TFlpointDlg(QWidget* parent, int& fieldWidth, int& decimalPlaces, char& floatFormat,
                         std::function<void()> invalidateGrids)
    : QDialog(parent), fieldWidth_(fieldWidth), decimalPlaces_(decimalPlaces), floatFormat_(floatFormat),
      invalidateGrids_(std::move(invalidateGrids)), keptWidth_(fieldWidth), keptPlaces_(decimalPlaces),
      keptFormat_(floatFormat) {
    setObjectName("FlpointDlg");
    setWindowTitle("Change Floating Point Data Format");
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose, true);
    resize(281, 173);

    auto* group = new QGroupBox("Format", this);
    group->setObjectName("RadioGroup1");
    FixedPointButton = new QRadioButton("Fixed Point", group);
    FixedPointButton->setObjectName("FixedPointButton");
    ScientificButton = new QRadioButton("Scientific", group);
    ScientificButton->setObjectName("ScientificButton");
    MixedButton = new QRadioButton("Mixed (compact)", group);
    MixedButton->setObjectName("MixedButton");
    auto* radios = new QVBoxLayout(group);
    radios->addWidget(FixedPointButton);
    radios->addWidget(ScientificButton);
    radios->addWidget(MixedButton);

    auto* fwLabel = new QLabel("Field width", this);
    fwLabel->setObjectName("FWLabel");
    FWEdit = new QLineEdit(this);
    FWEdit->setObjectName("FWEdit");
    FWUpDown = new TUpDown(FWEdit, 5, 20, this);
    FWUpDown->setObjectName("FWUpDown");
    auto* dpLabel = new QLabel("Dec.places", this);
    dpLabel->setObjectName("DPLabel");
    DPEdit = new QLineEdit(this);
    DPEdit->setObjectName("DPEdit");
    DPUpDown = new TUpDown(DPEdit, 2, 8, this);
    DPUpDown->setObjectName("DPUpDown");

    CancelButton = new QPushButton("Cancel", this);
    CancelButton->setObjectName("CancelButton");
    ResetButton = new QPushButton("Reset", this);
    ResetButton->setObjectName("ResetButton");
    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    for (auto* b : {CancelButton, ResetButton, OKButton}) b->setAutoDefault(false);

    auto* edits = new QGridLayout;
    edits->addWidget(fwLabel, 0, 0);
    edits->addWidget(FWEdit, 0, 1);
    edits->addWidget(FWUpDown, 0, 2);
    edits->addWidget(dpLabel, 1, 0);
    edits->addWidget(DPEdit, 1, 1);
    edits->addWidget(DPUpDown, 1, 2);
    auto* top = new QHBoxLayout;
    top->addWidget(group);
    top->addLayout(edits);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CancelButton);
    buttons->addWidget(ResetButton);
    buttons->addWidget(OKButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    connect(FixedPointButton, &QRadioButton::clicked, this, &TFlpointDlg::FixedPointButtonClick);
    connect(ScientificButton, &QRadioButton::clicked, this, &TFlpointDlg::ScientificButtonClick);
    connect(MixedButton, &QRadioButton::clicked, this, &TFlpointDlg::MixedButtonClick);
    connect(FWUpDown, &TUpDown::Clicked, this, [this] { SetFWidth(false); });
    connect(DPUpDown, &TUpDown::Clicked, this, [this] { SetDPWidth(false); });
    connect(OKButton, &QPushButton::clicked, this, &TFlpointDlg::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TFlpointDlg::CancelButtonClick);
    connect(ResetButton, &QPushButton::clicked, this, &TFlpointDlg::ResetButtonClick);
    FWEdit->installEventFilter(this);
    DPEdit->installEventFilter(this);

    SetControls();
    FWEdit->setFocus();
}

void TFlpointDlg::SetControls() {
    FixedPointButton->setChecked(floatFormat_ == 'f');
    ScientificButton->setChecked(floatFormat_ == 'e');
    MixedButton->setChecked(floatFormat_ == 'g');
    FWEdit->setText(QString::number(fieldWidth_));
    DPEdit->setText(QString::number(decimalPlaces_));
}

void TFlpointDlg::SetWidth(QLineEdit* edit, TUpDown* updown, int& value, bool clamp) {
    long long v = 0;
    if (ValInt(edit->text().toStdString(), v) != 0) {
        edit->setText(QString::number(value));
        return;
    }
    if (clamp && (v > updown->Max || v < updown->Min)) {
        v = v > updown->Max ? updown->Max : updown->Min;
        edit->setText(QString::number(v));
    }
    if (v != value && v >= updown->Min && v <= updown->Max) {
        value = static_cast<int>(v);
        if (invalidateGrids_) invalidateGrids_();
    }
}

void TFlpointDlg::SetFWidth(bool clamp) {
    SetWidth(FWEdit, FWUpDown, fieldWidth_, clamp);
}

void TFlpointDlg::SetDPWidth(bool clamp) {
    SetWidth(DPEdit, DPUpDown, decimalPlaces_, clamp);
}

void TFlpointDlg::SetFormat(char format) {
    if (floatFormat_ == format) return;
    floatFormat_ = format;
    if (invalidateGrids_) invalidateGrids_();
}

void TFlpointDlg::FixedPointButtonClick() {
    SetFormat('f');
}
void TFlpointDlg::ScientificButtonClick() {
    SetFormat('e');
}
void TFlpointDlg::MixedButtonClick() {
    SetFormat('g');
}

void TFlpointDlg::OKButtonClick() {
    SetFWidth(true);
    SetDPWidth(true);
    close();
}

void TFlpointDlg::CancelButtonClick() {
    if (fieldWidth_ != keptWidth_ || decimalPlaces_ != keptPlaces_ || floatFormat_ != keptFormat_) {
        fieldWidth_ = keptWidth_;
        decimalPlaces_ = keptPlaces_;
        floatFormat_ = keptFormat_;
        if (invalidateGrids_) invalidateGrids_();
    }
    close();
}

void TFlpointDlg::ResetButtonClick() {
    fieldWidth_ = 10;
    decimalPlaces_ = 4;
    floatFormat_ = 'g';
    SetControls();
    if (invalidateGrids_) invalidateGrids_();
}

void TFlpointDlg::FormDeactivate() {
    close();
}

void TFlpointDlg::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isVisible()) {
        if (isActiveWindow())
            SetControls();  // the format may have changed while another window was active
        else
            FormDeactivate();
    }
    QDialog::changeEvent(event);
}

bool TFlpointDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease) {
        if (watched == FWEdit) SetFWidth(false);
        if (watched == DPEdit) SetDPWidth(false);
    }
    return QDialog::eventFilter(watched, event);
}
