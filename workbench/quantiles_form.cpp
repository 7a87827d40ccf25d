#include "workbench/quantiles_form.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/core/pascal_str.h"
#include "common/core/text.h"
#include "engine/assessments_file.h"
#include "engine/globals.h"

namespace halvorine {

int QuantileCountDialog = 3;

namespace {

bool WholeNumber(const std::string& text, long long& n) {
    return ValInt(text, n) == 0;
}

}  // namespace

bool QuantileChoice::SetCountText(const std::string& text) {
    long long n = 0;
    if (!WholeNumber(text, n) || n < 3 || n > MaxQuantileCount) return false;
    Count = static_cast<int>(n);
    return true;
}

bool QuantileChoice::SetPercentText(int index, const std::string& text) {
    long long n = 0;
    if (index < 1 || index > Count || !WholeNumber(Trim(text), n) || n < -32768 || n > 32767) return false;
    Percents[index] = static_cast<int>(n);
    return true;
}

int QuantileChoice::FirstInvalid() const {
    for (int i = 1; i <= Count; ++i) {
        // A level of 100 % or more would leave a last bin of no or negative mass.
        if (Percents[i] < 1 || Percents[i] >= 100) return i;
        if (i > 1 && Percents[i] <= Percents[i - 1]) return i;
    }
    return 0;
}

std::string QuantileChoice::HeaderLine() const {
    return MakeAssessmentHeader(Count, Percents + 1);
}

TQuantilesForm::TQuantilesForm(QWidget* parent) : QDialog(parent) {
    setObjectName("QuantilesForm");
    setWindowTitle("Quantiles");
    setToolTip("Enter Quantiles");
    setModal(true);
    resize(238, 178);
    QuantileCountDialog = 3;

    NumQuantiles = new QLabel("Number of Quantiles (3-5) :", this);
    NumQuantiles->setObjectName("NumQuantiles");
    NQuantBox = new QComboBox(this);
    NQuantBox->setObjectName("NQuantBox");
    NQuantBox->setEditable(true);
    NQuantBox->addItems({"3", "4", "5"});
    NQuantBox->setMaxVisibleItems(3);
    NQuantBox->lineEdit()->setMaxLength(2);
    // Room for two digits and the cursor beside the arrow.
    NQuantBox->setMinimumContentsLength(3);
    NQuantBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    NQuantBox->setEditText("3");
    NQuantBox->installEventFilter(this);
    NQuantBox->lineEdit()->installEventFilter(this);

    QuantGrid = new QTableWidget(1, 3, this);
    QuantGrid->setObjectName("QuantGrid");
    QuantGrid->verticalHeader()->hide();
    QuantGrid->horizontalHeader()->setDefaultSectionSize(24);
    QuantGrid->horizontalHeader()->setMinimumSectionSize(24);
    QuantGrid->verticalHeader()->setDefaultSectionSize(18);
    QuantGrid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    QuantGrid->setTabKeyNavigation(true);

    OkButton = new QPushButton("OK", this);
    OkButton->setObjectName("OkButton");
    CancelButton = new QPushButton("Cancel", this);
    CancelButton->setObjectName("CancelButton");
    OkButton->setAutoDefault(false);
    CancelButton->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(NumQuantiles);
    top->addWidget(NQuantBox);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(QuantGrid);
    layout->addLayout(buttons);

    connect(NQuantBox, &QComboBox::editTextChanged, this, &TQuantilesForm::NQuantBoxChange);
    connect(QuantGrid, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem* item) { QuantGridSetEditText(item); });
    connect(OkButton, &QPushButton::clicked, this, &TQuantilesForm::OkButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TQuantilesForm::CancelButtonClick);
    RefreshGrid();
}

int TQuantilesForm::CellColourKind(int column) const {
    int i = column + 1;
    if (column >= 1 && Choice.Percents[i] <= Choice.Percents[i - 1]) return Choice.Percents[i] == 0 ? 2 : 1;
    return 0;
}

void TQuantilesForm::RefreshGrid() {
    refreshing_ = true;
    QuantGrid->setColumnCount(Choice.Count);
    QStringList headers;
    for (int c = 0; c < Choice.Count; ++c) {
        headers << QString::fromStdString(StrInt(c + 1, 2));
        auto* item = QuantGrid->item(0, c);
        if (!item) {
            item = new QTableWidgetItem;
            QuantGrid->setItem(0, c, item);
        }
        item->setText(QString::fromStdString(StrInt(Choice.Percents[c + 1], 2)));
        switch (CellColourKind(c)) {
        case 1: item->setForeground(Qt::red); break;
        case 2: item->setForeground(QColor(128, 0, 128)); break;
        default: item->setForeground(palette().color(QPalette::WindowText)); break;
        }
    }
    QuantGrid->setHorizontalHeaderLabels(headers);
    refreshing_ = false;
    update();
}

void TQuantilesForm::NQuantBoxChange(const QString& text) {
    if (!Choice.SetCountText(text.toStdString())) return;
    QuantileCountDialog = Choice.Count;
    RefreshGrid();
}

void TQuantilesForm::NQuantBoxExit() {
    NQuantBox->blockSignals(true);
    NQuantBox->setEditText(QString::fromStdString(StrInt(QuantileCountDialog, 2)));
    NQuantBox->blockSignals(false);
    update();
}

void TQuantilesForm::QuantGridSetEditText(QTableWidgetItem* item) {
    if (refreshing_ || !item) return;
    Choice.SetPercentText(item->column() + 1, item->text().toStdString());
    RefreshGrid();
}

bool TQuantilesForm::ValidQuantiles() {
    setWindowTitle("Quantiles");
    bool ok = Choice.FirstInvalid() == 0;
    if (!ok) setWindowTitle(QString("Quantiles") + ": must be positive and increasing!");
    update();
    return ok;
}

void TQuantilesForm::OkButtonClick() {
    if (!ValidQuantiles()) return;
    AssessmentHeader = Choice.HeaderLine();
    accept();
}

void TQuantilesForm::CancelButtonClick() {
    reject();
}

void TQuantilesForm::keyReleaseEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()) {
        OkButtonClick();
        return;
    }
    QDialog::keyReleaseEvent(event);
}

bool TQuantilesForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && (watched == NQuantBox || watched == NQuantBox->lineEdit()))
        NQuantBoxExit();
    if (event->type() == QEvent::KeyPress && (watched == NQuantBox || watched == NQuantBox->lineEdit())) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Enter acts on its release; the press must not reach the default button as well.
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) return true;
    }
    if (event->type() == QEvent::KeyRelease && (watched == NQuantBox || watched == NQuantBox->lineEdit())) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !key->isAutoRepeat()) {
            OkButtonClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace halvorine
