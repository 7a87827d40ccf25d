#include "workbench/export_list.h"

#include <QCheckBox>
#include <QDialog>  // before the prompts header, which holds a pointer to one
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

#include "engine/case_columns.h"
#include "engine/formatting.h"
#include "engine/globals.h"
#include "engine/output_files.h"
#include "platform/prompts.h"
#include "platform/qt/qt_prompts.h"
#include "workbench/case_state.h"
#include "workbench/main_form.h"
#include "workbench/sheet_export.h"
#include "workbench/window_state.h"

namespace halvorine {

// ---------------------------------------------------------------- the lists

void CheckList::Add(const std::string& id) {
    Ids.push_back(id);
    Checked.push_back(false);
}

void CheckList::SelectAll() {
    AllChecked = !AllChecked;
    std::fill(Checked.begin(), Checked.end(), AllChecked);
}

void CheckList::Invert() {
    for (std::size_t i = 0; i < Checked.size(); ++i) Checked[i] = !Checked[i];
}

bool ExportListCore::Fill() {
    Items = CheckList();
    Experts = CheckList();
    if (const TExpert* first = ExpertTable[1].get())
        for (int s = 1; s <= MaxItemCount; ++s) {
            const TAssessment* a = first->Assessments[s].get();
            if (a && a->Item) Items.Add(a->Item->Id);
        }
    if (Items.Ids.empty()) return false;
    for (int e = 1; e <= MaxExpertCount; ++e)
        if (ExpertTable[e]) Experts.Add(ExpertTable[e]->Id);
    return !Experts.Ids.empty();
}

// ---------------------------------------------------------------- the export

namespace {

// One exported column: an expert and its assessment of one item.
struct Column {
    int Expert = 0;
    int Slot = 0;
    std::string ExpertId;
    std::string ItemId;
};

// The first expert of the table with this id, 0 when none.
int ExpertWithId(const std::string& id) {
    for (int e = 1; e <= MaxExpertCount; ++e)
        if (ExpertTable[e] && ExpertTable[e]->Id.str() == id) return e;
    return 0;
}

// The first of expert e's slots assessing an item with this id, 0 when none.
int SlotWithItemId(int e, const std::string& id) {
    const TExpert* x = ExpertTable[e].get();
    for (int s = 1; s <= MaxItemCount; ++s) {
        const TAssessment* a = x->Assessments[s].get();
        if (a && a->Item && a->Item->Id.str() == id) return s;
    }
    return 0;
}

std::vector<Column> CheckedColumns(const CheckList& experts, const CheckList& items) {
    std::vector<Column> columns;
    for (std::size_t i = 0; i < experts.Ids.size(); ++i) {
        if (!experts.Checked[i]) continue;
        const int e = ExpertWithId(experts.Ids[i]);
        if (e == 0) continue;
        for (std::size_t j = 0; j < items.Ids.size(); ++j) {
            if (!items.Checked[j]) continue;
            const int s = SlotWithItemId(e, items.Ids[j]);
            if (s != 0) columns.push_back({e, s, experts.Ids[i], items.Ids[j]});
        }
    }
    return columns;
}

// The longest id of an expert or of an item one of them assessed: every number takes that width.
int LongestId() {
    std::size_t w = 0;
    for (int e = 1; e <= MaxExpertCount; ++e) {
        const TExpert* x = ExpertTable[e].get();
        if (!x) continue;
        w = std::max(w, x->Id.size());
        for (int s = 1; s <= MaxItemCount; ++s) {
            const TAssessment* a = x->Assessments[s].get();
            if (a && a->Item) w = std::max(w, a->Item->Id.size());
        }
    }
    return static_cast<int>(w);
}

// Row j's label (1-based): a percent point of the table, or a quantile level as "05%".
std::string RowLabel(int j, bool distributions, bool zeroLed) {
    std::string label = distributions ? PercentileLabel(j - 1) : PercentText(j);
    if (zeroLed && !label.empty() && label[0] == ' ') label[0] = '0';
    return label;
}

// The column's values, rows 1..rows; a pair's percentile table is built once.
std::vector<std::string> ColumnValues(const Column& c, int rows, bool distributions) {
    std::vector<std::string> values;
    values.reserve(static_cast<std::size_t>(rows));
    if (distributions) {
        BuildPercentileTable(c.Expert, c.Slot);
        for (int j = 1; j <= rows; ++j) values.push_back(PercentileText(j - 1));
    } else {
        const TAssessment& a = *ExpertTable[c.Expert]->Assessments[c.Slot];
        for (int j = 1; j <= rows; ++j) values.push_back(FormatNumber(a.Values[j]));
    }
    return values;
}

void WriteLine(const std::string& line, bool toFile) {
    WriteOutputLine(line + "\r\n", toFile);
}

// Whatever way the export ends: the number width and the line-break setting come back, a file
// left open is abandoned (an old file of that name stays as it was), the clipboard gets its text.
class ExportScope {
public:
    explicit ExportScope(bool clipboard) : clipboard_(clipboard) {}
    ~ExportScope() {
        FieldWidth = fieldWidth_;
        OutputLineBreak = lineBreak_;
        OutFile.Abandon();
        if (clipboard_) CloseClipboardOutput();
    }
    ExportScope(const ExportScope&) = delete;
    ExportScope& operator=(const ExportScope&) = delete;

private:
    int fieldWidth_ = FieldWidth;
    bool lineBreak_ = OutputLineBreak;
    bool clipboard_;
};

}  // namespace

void ExportListCore::ExportCaseData(bool toFile, bool distributions, bool singleFile) {
    const bool separate = toFile && distributions && !singleFile;
    const std::vector<Column> columns = CheckedColumns(Experts, Items);
    if (separate) {
        std::vector<std::string> names;
        for (const Column& c : columns) names.push_back(c.ExpertId + "_" + c.ItemId);
        if (!OutputNamesDistinct(names, ".dis")) return;
    }
    if (toFile && !separate && !OpenOutputFile(".dis", "Output files (*.dis)|*.dis", OutFile, false)) return;

    ExportScope scope(!toFile);
    std::optional<platform::BusyCursor> busy;
    if (Platform) busy.emplace(*Platform);
    if (!toFile) OpenClipboardOutput();
    OutputLineBreak = false;
    const int width = LongestId();
    FieldWidth = width;
    const int rows = distributions ? 101 : std::clamp(QuantileCount, 0, MaxQuantileCount);
    auto caption = [this](const Column& c) {
        if (ShowCaption) ShowCaption("Exporting " + c.ExpertId + "/" + c.ItemId);
    };

    if (separate) {
        for (const Column& c : columns) {
            caption(c);
            const std::vector<std::string> values = ColumnValues(c, rows, distributions);
            OpenNamedOutputFile(OutFile, c.ExpertId + "_" + c.ItemId, ".dis", true);
            try {
                for (int j = 1; j <= rows; ++j)
                    WriteLine(RowLabel(j, distributions, false) + "\t" + values[j - 1], true);
                OutFile.Close();
            } catch (...) {
                OutFile.Abandon();  // the old file stays as it was
                throw;
            }
        }
        return;
    }

    // A single column has no separator in the header lines; the value rows always have one.
    const std::string blank(distributions ? 5 : 3, ' ');
    const std::string separator = columns.size() > 1 ? "\t" : "";
    std::string expertLine = blank;
    std::string itemLine = blank;
    for (const Column& c : columns) {
        expertLine += separator + RightAligned(SafeFileName(c.ExpertId), width);
        itemLine += separator + RightAligned(SafeFileName(c.ItemId), width);
    }
    WriteLine(expertLine, toFile);
    WriteLine(itemLine, toFile);

    std::vector<std::string> lines;
    for (int j = 1; j <= rows; ++j) lines.push_back(RowLabel(j, distributions, true));
    for (const Column& c : columns) {
        caption(c);
        const std::vector<std::string> values = ColumnValues(c, rows, distributions);
        for (int j = 0; j < rows; ++j) lines[static_cast<std::size_t>(j)] += "\t" + values[static_cast<std::size_t>(j)];
    }
    for (const std::string& line : lines) WriteLine(line, toFile);
    if (toFile) OutFile.Close();
}

// ---------------------------------------------------------------- the window

TItemsListBoxForm::TItemsListBoxForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("ItemsListBoxForm"));
    setWindowTitle(QStringLiteral("Exporting Case Data"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    QFont bold = font();
    bold.setBold(true);
    Label1 = new QLabel(QStringLiteral("Select Items"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(bold);
    SelectExpertsLabel = new QLabel(QStringLiteral("Select Experts"), this);
    SelectExpertsLabel->setObjectName(QStringLiteral("SelectExpertsLabel"));
    SelectExpertsLabel->setFont(bold);
    ItemsListBox = new QListWidget(this);
    ItemsListBox->setObjectName(QStringLiteral("ItemsListBox"));
    ItemsListBox->setFixedHeight(222);
    ExpertsListBox = new QListWidget(this);
    ExpertsListBox->setObjectName(QStringLiteral("ExpertsListBox"));
    ExpertsListBox->setFixedHeight(222);
    F3ToggleLabel = new QLabel(QStringLiteral("F3 to toggle all on/off"), this);
    F3ToggleLabel->setObjectName(QStringLiteral("F3ToggleLabel"));
    F4InvertLabel = new QLabel(QStringLiteral("F4 to invert selection"), this);
    F4InvertLabel->setObjectName(QStringLiteral("F4InvertLabel"));
    ToClipboardCheckBox = new QCheckBox(QStringLiteral("To Clipboard"), this);
    ToClipboardCheckBox->setObjectName(QStringLiteral("ToClipboardCheckBox"));
    SingleFile = new QCheckBox(QStringLiteral("Single File"), this);
    SingleFile->setObjectName(QStringLiteral("SingleFile"));
    SingleFile->setChecked(true);
    QSizePolicy keep = SingleFile->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    SingleFile->setSizePolicy(keep);
    OkButton = new QPushButton(QStringLiteral("Export"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(4);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(SelectExpertsLabel, 0, 1);
    grid->addWidget(ItemsListBox, 1, 0);
    grid->addWidget(ExpertsListBox, 1, 1);
    grid->setRowMinimumHeight(2, 4);
    grid->addWidget(F3ToggleLabel, 3, 0);
    grid->addWidget(F4InvertLabel, 4, 0);
    grid->addWidget(ToClipboardCheckBox, 3, 1);
    grid->addWidget(SingleFile, 4, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 10);
    layout->setSpacing(8);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);

    ItemsListBox->installEventFilter(this);
    ExpertsListBox->installEventFilter(this);
    connect(ItemsListBox, &QListWidget::itemChanged, this, [this] { ReadChecks(ItemsListBox, Core.Items); });
    connect(ExpertsListBox, &QListWidget::itemChanged, this, [this] { ReadChecks(ExpertsListBox, Core.Experts); });
    connect(ToClipboardCheckBox, &QCheckBox::clicked, this, &TItemsListBoxForm::ToClipboardCheckBoxClick);
    connect(SingleFile, &QCheckBox::clicked, this, &TItemsListBoxForm::SingleFileClick);
    connect(OkButton, &QPushButton::clicked, this, &TItemsListBoxForm::OkButtonClick);
    Core.ShowCaption = [this](const std::string& text) { setWindowTitle(platform::QStringFromBytes(text)); };

    filled_ = FormCreate();
    // The starting size, grown where the fonts need more; the border is fixed.
    adjustSize();
    const QSize hint = sizeHint();
    setFixedSize(std::max(266, hint.width()), std::max(357, hint.height()));
}

bool TItemsListBoxForm::FormCreate() {
    SingleFile->setVisible(ExportDistributions);
    if (!Core.Fill()) return false;
    ShowChecks(ItemsListBox, Core.Items);
    ShowChecks(ExpertsListBox, Core.Experts);
    // Each list at least as designed, wider where its longest id would be cut, and as wide as
    // its column.
    for (auto [box, designed] : {std::pair{ItemsListBox, 110}, std::pair{ExpertsListBox, 113}}) {
        const int needed = box->sizeHintForColumn(0) + box->verticalScrollBar()->sizeHint().width() +
                           2 * box->frameWidth();
        box->setMinimumWidth(std::max(designed, needed));
        box->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    }
    return true;
}

void TItemsListBoxForm::ShowChecks(QListWidget* box, const CheckList& list) {
    const QSignalBlocker quiet(box);
    if (box->count() != static_cast<int>(list.Ids.size())) {
        box->clear();
        for (const std::string& id : list.Ids) {
            auto* entry = new QListWidgetItem(platform::QStringFromBytes(id), box);
            entry->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        }
    }
    for (int i = 0; i < box->count(); ++i)
        box->item(i)->setCheckState(list.Checked[static_cast<std::size_t>(i)] ? Qt::Checked : Qt::Unchecked);
}

void TItemsListBoxForm::ReadChecks(QListWidget* box, CheckList& list) {
    for (int i = 0; i < box->count() && i < static_cast<int>(list.Checked.size()); ++i)
        list.Checked[static_cast<std::size_t>(i)] = box->item(i)->checkState() == Qt::Checked;
}

void TItemsListBoxForm::ItemsListBoxKeyUp(int key) {
    if (key == Qt::Key_F3)
        Core.Items.SelectAll();
    else if (key == Qt::Key_F4)
        Core.Items.Invert();
    else
        return;
    ShowChecks(ItemsListBox, Core.Items);
}

void TItemsListBoxForm::ExpertsListBoxKeyUp(int key) {
    if (key == Qt::Key_F3)
        Core.Experts.SelectAll();
    else if (key == Qt::Key_F4)
        Core.Experts.Invert();
    else
        return;
    ShowChecks(ExpertsListBox, Core.Experts);
}

void TItemsListBoxForm::ToClipboardCheckBoxClick() {
    // The clipboard always receives one text.
    if (ToClipboardCheckBox->isChecked()) {
        SingleFile->setChecked(true);
        SingleFile->setEnabled(false);
    } else {
        SingleFile->setEnabled(true);
    }
}

void TItemsListBoxForm::SingleFileClick() {
    if (ToClipboardCheckBox->isChecked()) SingleFile->setEnabled(false);
}

void TItemsListBoxForm::OkButtonClick() {
    if (exporting_) return;
    {
        // The file choice and the questions take the activation away meanwhile; the window
        // stays until the export is over.
        struct Running {
            bool& flag;
            explicit Running(bool& f) : flag(f) { flag = true; }
            ~Running() { flag = false; }
        } running(exporting_);
        ReadChecks(ItemsListBox, Core.Items);
        ReadChecks(ExpertsListBox, Core.Experts);
        Core.ExportCaseData(!ToClipboardCheckBox->isChecked(), ExportDistributions, SingleFile->isChecked());
    }
    close();
}

void TItemsListBoxForm::FormDeactivate() {
    if (exporting_) return;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

bool TItemsListBoxForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == ItemsListBox) ItemsListBoxKeyUp(key);
        if (watched == ExpertsListBox) ExpertsListBoxKeyUp(key);
    }
    return QWidget::eventFilter(watched, event);
}

void TItemsListBoxForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow()) {
            wasActive_ = true;
        } else if (wasActive_) {
            wasActive_ = false;
            FormDeactivate();
        }
    }
    QWidget::changeEvent(event);
}

TItemsListBoxForm* OpenExportList() {
    auto* form = new TItemsListBoxForm(MainForm);
    if (!form->Filled()) {
        delete form;
        return nullptr;
    }
    form->show();
    form->raise();
    form->activateWindow();
    return form;
}

}  // namespace halvorine
