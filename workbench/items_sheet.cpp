#include "workbench/items_sheet.h"

#include <QCloseEvent>
#include <QCursor>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "engine/tables.h"
#include "workbench/experts_sheet.h"
#include "workbench/record_links.h"
#include "workbench/services.h"
#include "workbench/sheet_export.h"
#include "workbench/sheet_windows.h"
#include "workbench/window_state.h"

namespace halvorine {

bool DistribDlgAccepted = false;
TDistribution SavedDistribution;

namespace {

struct FamilyEntry {
    const char* Name;
    const char* Caption;
    int Family;
};
const FamilyEntry Families[] = {
    {"Constant1", "&Constant", FamilyConstant},
    {"Uniform1", "&Uniform", FamilyUniform},
    {"LogUniform1", "&LogUniform", FamilyLogUniform},
    {"Normal1", "&Normal", FamilyNormal},
    {"Lognormal1", "Logn&ormal", FamilyLogNormal},
    {"Exponential1", "&Exponential", FamilyExponential},
    {"Gamma1", "&Gamma", FamilyGamma},
    {"Weibull1", "&Weibull", FamilyWeibull},
    {"Beta1", "&Beta", FamilyBeta},
    {"Triangular1", "&Triangular", FamilyTriangular},
    {"None1", "None", FamilyNone},
};

// The run information above a result view; a click on it writes the view to a text file.
class HeaderInfoLine : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && OnClick) OnClick();
    }
};

}  // namespace

TItemsSheet::TItemsSheet(QMdiArea* area, TExpert* expert) : TSheetWindow(nullptr), Core(expert) {
    setObjectName(QStringLiteral("ItemsSheet"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Items Data"));
    setStatusTip(QStringLiteral("Ctrl-C to copy the window contents to Clipboard"));

    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->setSpacing(4);
    auto* header = new HeaderInfoLine(body);
    header->OnClick = [this] {
        if (!gone_ && !Core.HeaderInfo().empty()) ExportSheet(this, ExpertsSheet, true, ExportTarget::File);
    };
    HeaderInfoLabel = header;
    HeaderInfoLabel->setObjectName(QStringLiteral("HeaderInfo"));
    HeaderInfoLabel->setFont(QFont(QStringLiteral("Arial"), 8));
    HeaderInfoLabel->setTextFormat(Qt::RichText);
    HeaderInfoLabel->setCursor(Qt::PointingHandCursor);
    HeaderInfoLabel->hide();
    ItemsGrid = new SheetGrid(&Core, body);
    ItemsGrid->setObjectName(QStringLiteral("ItemsGrid"));
    ItemsGrid->viewport()->installEventFilter(this);
    layout->addWidget(HeaderInfoLabel);
    layout->addWidget(ItemsGrid, 1);
    setWidget(body);
    BuildDistributionMenu();

    ItemsGrid->OnKeyRelease = [this](const SheetKey& k) { KeyReleased(k); };
    ItemsGrid->OnRowModeClick = [this](int row) {
        if (!Core.IsRealisations()) return;
        Core.Cursor.EditorOn = false;
        ItemsGrid->SetEditorMode(false);
        ItemsGrid->SetCursor(std::max(1, ItemsGrid->Col()), row);
        SyncCursor();
        UpdateItemsEditMenu();
    };
    ItemsGrid->OnMouseUp = [this](Qt::MouseButton button, int col, int row) {
        if (button == Qt::RightButton) ShowDistributionMenu(col, row, QCursor::pos());
    };
    ItemsGrid->OnDoubleClick = [this](int col, int row) {
        const bool ok = Core.IsRealisations() ? (col > 0 && row >= 1)
                                              : (Core.IsAssessments() && col >= 3 && col <= QuantileCount + 2);
        if (!ok) return;
        Core.Cursor.Col = col;
        Core.Cursor.Row = row;
        Core.ConstrainCursor();
        Core.Cursor.EditorOn = true;
        Apply(EffectCursor | EffectEditorMode);
    };
    connect(this, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates old, Qt::WindowStates now) {
        if (!(old & Qt::WindowActive) && (now & Qt::WindowActive)) FormActivate();
        if ((old & Qt::WindowActive) && !(now & Qt::WindowActive)) FormDeactivate();
    });

    // FormCreate
    if (!expert) ChildSheets[0] = this;
    if (!ItemsSheet) ItemsSheet = this;
    area->addSubWindow(this);
    LayoutItemsSheet();
    Core.Cursor.Row = Core.HeaderRows();
    Core.Cursor.Col = Core.Expert ? 3 : 1;
    Core.Cursor.EditorOn = true;
    Apply(EffectCursor | EffectEditorMode);
    ItemsLayoutMode = NewLayout;
    UpdateItemsEditMenu();
    DistribDlgAccepted = false;
}

TItemsSheet::~TItemsSheet() {
    // The base class still reports state changes while it goes.
    disconnect(this, &QMdiSubWindow::windowStateChanged, this, nullptr);
    for (auto& s : ChildSheets)
        if (s == this) s = nullptr;
    if (ItemsSheet == this) ItemsSheet = nullptr;
}

int TItemsSheet::OwnSlot() const {
    for (int i = 0; i <= ChildSheetSlots; ++i)
        if (ChildSheets[i] == this) return i;
    return -1;
}

void TItemsSheet::SyncCursor() {
    if (gone_) return;
    Core.Cursor.Row = ItemsGrid->Row();
    Core.Cursor.Col = ItemsGrid->Col();
    ItemsGrid->SelectedRows(Core.Cursor.SelFirst, Core.Cursor.SelLast);
    if (ItemsGrid->EditorMode()) Core.Cursor.SelFirst = Core.Cursor.SelLast = Core.Cursor.Row;
    Core.Cursor.EditorOn = ItemsGrid->EditorMode();
    Core.Cursor.EditorOpen = ItemsGrid->EditorOpen();
}

void TItemsSheet::Apply(unsigned fx) {
    if (gone_) return;
    const GridCursor want = Core.Cursor;
    if (fx & EffectRelayout) {
        LayoutItemsSheet();
        Core.Cursor = want;
    }
    if (fx & EffectEditorMode) ItemsGrid->SetEditorMode(Core.Cursor.EditorOn);
    if (fx & (EffectCursor | EffectRelayout)) {
        int row = std::clamp(Core.Cursor.Row, Core.HeaderRows(), Core.GridRows() - 1);
        ItemsGrid->SetCursor(std::max(1, Core.Cursor.Col), row);
        if (Core.Cursor.EditorOn) ItemsGrid->OpenEditor();
    }
    if (fx & EffectRepaint) ItemsGrid->Refresh();
    if (fx & EffectItemsSheets) InvalidateChildren();
    if (fx & EffectCopy) ExportSheet(this, ExpertsSheet, true, ExportTarget::Clipboard);
    if (fx & (EffectEditMenu | EffectRelayout | EffectEditorMode)) UpdateItemsEditMenu();
    SyncCursor();
}

void TItemsSheet::KeyReleased(const SheetKey& key) {
    Forward(Core, &ItemsSheetCore::KeyRelease, key);
}

void TItemsSheet::LayoutItemsSheet() {
    if (gone_) return;
    Core.LayoutDone = false;
    const int row = ItemsGrid->Row(), col = ItemsGrid->Col();
    ItemsGrid->Layout();
    const auto view = Core.CurrentView();
    const bool header = Core.IsResultSheet && view != ItemsSheetCore::View::Loss;
    DrawHeaderInfo();
    HeaderInfoLabel->setVisible(header);
    if (view == ItemsSheetCore::View::Robustness) {
        ItemsGrid->SetCursor(1, Core.GridRows() - 1);
    } else if (row > 0) {
        ItemsGrid->SetCursor(std::max(1, col), std::min(row, Core.GridRows() - 1));
    }
    Core.LayoutWidth = ItemsGrid->ContentWidth();
    int width = Core.LayoutWidth;
    if (Core.Expert && view != ItemsSheetCore::View::Robustness) {
        // The name is reached by scrolling.
        width -= std::max(0, ItemsGrid->columnWidth(Core.ItemsNumCols() - 1) - 70);
    }
    int maxHeight = 900;
    if (QMdiArea* a = mdiArea()) {
        width = std::min(width, std::max(200, a->width() - 50));
        maxHeight = std::max(120, a->height() - (Core.Expert ? 150 : 140));
    }
    ItemsGrid->MaxSize = QSize(width, maxHeight);
    ItemsGrid->updateGeometry();
    widget()->adjustSize();
    adjustSize();
    ItemsGrid->ScrollHome();
    KeepClearOfRunDialog(this);
    ItemsLayoutMode = ItemsSheetMode;
    Core.LayoutBayesian = BayesianUpdates;
    Core.LayoutDone = true;
}

void TItemsSheet::AdjustHeight() {}

void TItemsSheet::DrawHeaderInfo() {
    const std::vector<std::string> lines = Core.HeaderInfo();
    if (lines.empty()) {
        HeaderInfoLabel->clear();
        return;
    }
    // The lines line up on their blanks, so they keep every one of them.
    QString html = QStringLiteral("<div style=\"white-space:pre\"><b>") +
                   platform::QStringFromBytes(lines[0]).toHtmlEscaped() + QStringLiteral("</b>");
    for (std::size_t i = 1; i < lines.size(); ++i)
        html += QStringLiteral("<br>") + platform::QStringFromBytes(lines[i]).toHtmlEscaped();
    HeaderInfoLabel->setText(html + QStringLiteral("</div>"));
}

void TItemsSheet::Reload() {
    if (gone_) return;
    const int row = ItemsGrid->Row(), col = ItemsGrid->Col();
    const bool editor = ItemsGrid->EditorOpen();
    ItemsGrid->Model()->Reset();
    ItemsGrid->SetCursor(std::max(1, col), std::clamp(row, Core.HeaderRows(), Core.GridRows() - 1));
    if (editor) ItemsGrid->OpenEditor();
    ItemsGrid->Refresh();
}

void TItemsSheet::SetCursorRow(int row) {
    Core.Cursor.Row = row;
    if (Core.Cursor.Col < 1) Core.Cursor.Col = Core.FirstEditableCol();
    Core.ConstrainCursor();
    Apply(EffectCursor);
}

bool TItemsSheet::eventFilter(QObject* watched, QEvent* event) {
    // The cells are drawn from the view as it is now (the run dialog switches it for every
    // sheet at once): the caption is named from the same view whenever they are drawn, also
    // in a window that is not active.
    if (event->type() == QEvent::Paint && ItemsGrid && watched == ItemsGrid->viewport()) DrawItemsCaption();
    return QMdiSubWindow::eventFilter(watched, event);
}

void TItemsSheet::DrawItemsCaption() {
    if (!gone_) setWindowTitle(platform::QStringFromBytes(Core.Caption()));
}

void TItemsSheet::UpdateItemsEditMenu() {
    EditMenu = Core.UpdateItemsEditMenu();
}

bool TItemsSheet::FixEmptyRows() {
    if (gone_ || !Core.IsRealisations() || !Core.FixEmptyRows()) return false;
    LayoutItemsSheet();
    InvalidateChildren();
    return true;
}

void TItemsSheet::FormActivate() {
    if (gone_) return;
    bool retargeted = false;
    if (!Core.IsResultSheet && ActiveExpert && !ActiveExpert->IsDecisionMaker) {
        ItemsGrid->CloseEditor();
        retargeted = Core.RetargetAssessments();
    } else {
        ActiveExpert = Core.Expert;
    }
    DrawItemsCaption();
    int restored = 0;
    if (Core.Expert) {
        if (Core.IsResultSheet) {
            ItemsGrid->SetEditorMode(false);
            FilterItemsOut(FilteredItems);
            if (ItemsSheetMode != ItemsLossView)
                ItemsSheetMode = RobustnessItemFilterShown() ? ItemsRobustnessView : ItemsSolutionView;
        } else {
            ItemsTextOutput = false;
            if (ItemsSheetMode != ItemsLossView) ItemsSheetMode = ItemsDataView;
            Core.ConstrainCursor();
            restored = RestoreFilteredItems(FilteredItems);
        }
    } else {
        ItemsTextOutput = false;
        const bool viewChanged = ItemsSheetMode != ItemsDataView || ItemsLayoutMode != ItemsDataView;
        ItemsSheetMode = ItemsDataView;
        restored = RestoreFilteredItems(FilteredItems);
        if (viewChanged || restored) InvalidateChildren();
        FixEmptyRows();
    }
    if (ItemsLayoutMode != ItemsSheetMode || restored || BayesianUpdates != Core.LayoutBayesian || retargeted)
        LayoutItemsSheet();
    if (retargeted) {
        Core.Cursor.EditorOn = true;
        Apply(EffectCursor | EffectEditorMode);
    }
    ItemsGrid->Refresh();
    // A new layout closed the cell: it opens again as the sheet was, whichever way the sheet
    // came to the front.
    if (ItemsGrid->EditorMode()) ItemsGrid->OpenEditor();
    UpdateItemsEditMenu();
    if (DistribDlgAccepted) DistribDlgAccepted = false;
}

void TItemsSheet::FollowActiveExpert() {
    if (gone_ || Core.IsResultSheet || !Core.Expert || !ActiveExpert || ActiveExpert->IsDecisionMaker) return;
    if (ActiveExpert == Core.Expert) return;
    ItemsGrid->CloseEditor();
    if (!Core.RetargetAssessments()) return;
    DrawItemsCaption();
    LayoutItemsSheet();
    Core.Cursor.EditorOn = true;
    Apply(EffectCursor | EffectEditorMode);
    ItemsGrid->Refresh();
}

void TItemsSheet::FormPaint() {
    if (gone_) return;
    DrawItemsCaption();
    if (ItemsLayoutMode != ItemsSheetMode || BayesianUpdates != Core.LayoutBayesian)
        LayoutItemsSheet();
    else
        Reload();
    if (Core.IsResultSheet && Core.CurrentView() != ItemsSheetCore::View::Loss) {
        ItemsGrid->SetEditorMode(false);
        DrawHeaderInfo();
    }
}

void TItemsSheet::FormDeactivate() {
    if (gone_) return;
    EditMenu = EditMenuState{};
    if (Core.IsRealisations()) FixEmptyRows();
}

void TItemsSheet::ExpertGone() {
    if (gone_) return;
    gone_ = true;
    ItemsGrid->CloseEditor();
    ItemsGrid->Model()->SetSource(nullptr);
    Core.Expert = nullptr;
    PickedAssessment = nullptr;
    for (auto& s : ChildSheets)
        if (s == this) s = nullptr;
    close();
}

// ---------------------------------------------------------------- distribution popup

void TItemsSheet::BuildDistributionMenu() {
    DistributionMenu = new QMenu(this);
    DistributionMenu->setObjectName(QStringLiteral("DistributionMenu"));
    for (const FamilyEntry& f : Families) {
        QAction* a = DistributionMenu->addAction(QString::fromLatin1(f.Caption));
        a->setObjectName(QString::fromLatin1(f.Name));
        a->setCheckable(true);
        a->setVisible(f.Family != FamilyConstant);
        const int family = f.Family;
        connect(a, &QAction::triggered, this, [this, family] {
            if (family == FamilyNone) {
                if (PickedAssessment) PickedAssessment->Distribution.Family = FamilyNone;
            } else {
                ChooseDistribution(family);
            }
        });
    }
}

void TItemsSheet::ShowDistributionMenu(int /*col*/, int row, const QPoint& globalPos) {
    if (gone_ || !Core.Expert || Core.IsResultSheet) return;
    const auto view = Core.CurrentView();
    if (view != ItemsSheetCore::View::Assessments && view != ItemsSheetCore::View::Loss) return;
    TItem* item = Core.ItemUnderRow(row);
    PickedAssessment = item ? FindAssessment(Core.Expert, item) : nullptr;
    if (!PickedAssessment) return;
    const int family = PickedAssessment->Distribution.Family;
    for (const FamilyEntry& f : Families) {
        QAction* a = DistributionMenu->findChild<QAction*>(QString::fromLatin1(f.Name));
        if (!a) continue;
        a->setChecked(f.Family == family && f.Family != FamilyNone);
        if (f.Family == FamilyNone) a->setVisible(family != FamilyNone);
    }
    for (int i = 1; i <= MaxItemCount; ++i)
        if (ItemTable[i].get() == item) CurrentItemIndex = i;
    ActiveExpert = Core.Expert;
    SavedDistribution = PickedAssessment->Distribution;
    DistributionMenu->popup(globalPos);
}

void TItemsSheet::ChooseDistribution(int family) {
    if (!PickedAssessment) return;
    TAssessment* a = PickedAssessment;
    int k = 1;
    while (k <= QuantileCount && std::abs(a->Values[k] - NoValue) >= 0.0001f) ++k;
    const bool allGiven = k > QuantileCount;
    if (family != a->Distribution.Family) {
        const bool keep = family <= FamilyLogNormal && allGiven && a->Distribution.Family != FamilyNone;
        if (!keep) Services().SetDistributionDefaults(a, family);
    }
    a->Distribution.Family = static_cast<std::uint8_t>(family);
    Core.Cursor.EditorOn = true;
    Apply(EffectEditorMode);
    Services().OpenDistributionDialog(this);
    ItemsGrid->Refresh();
}

// ---------------------------------------------------------------- Edit menu commands

void TItemsSheet::UndoItemsCommand() {
    Forward(EffectRepaint, Core, &ItemsSheetCore::UndoItems);
}

void TItemsSheet::DeleteRowsCommand(bool cut) {
    Forward(EffectRepaint, Core, &ItemsSheetCore::DeleteItemRows, MakeSheetKey(cut ? vk::X : vk::Delete, cut));
}

void TItemsSheet::PasteRowsCommand() {
    Forward(EffectRepaint, Core, &ItemsSheetCore::PasteItemRows, MakeSheetKey(vk::V, true));
}

void TItemsSheet::ToggleFilterCommand() {
    Forward(EffectRepaint, Core, &ItemsSheetCore::ToggleItemsFilter);
}

void TItemsSheet::EnableFilteringCommand() {
    Apply(Core.EnableItemsFiltering());
}

void TItemsSheet::ToggleEditorModeCommand() {
    Forward(Core, &ItemsSheetCore::ToggleItemsEditorMode);
}

// ---------------------------------------------------------------- closing

void TItemsSheet::closeEvent(QCloseEvent* event) {
    if (gone_) {
        QMdiSubWindow::closeEvent(event);
        return;
    }
    ItemsGrid->StoreEditor();  // text still open in a cell is typed text
    FixEmptyRows();
    if (Core.IsRealisations()) {
        FreeItemsUndo();
        PutBackSideTables();
        if (!Services().QuerySaveCase(ItemsFileKind)) {
            event->ignore();
            return;
        }
    }
    const int slot = OwnSlot();
    if (Core.IsRobustnessSheet) ClearItemFilter();
    for (auto& s : ChildSheets)
        if (s == this) s = nullptr;
    if (slot > MaxExpertCount) {
        TExpert* checked = CheckedExpert >= 1 && CheckedExpert <= MaxExpertCount ? ExpertTable[CheckedExpert].get()
                                                                                 : nullptr;
        ActiveExpert = checked ? checked : ExpertTable[1].get();
    }
    if (Core.IsRealisations() && !ExpertsSheet) {
        Services().CloseRunDialog();
        FreeItemsUndo();
        FreeCaseRecords();
    }
    Core.Expert = nullptr;
    gone_ = true;
    QMdiSubWindow::closeEvent(event);
}

}  // namespace halvorine
