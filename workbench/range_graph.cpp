#include "workbench/range_graph.h"
#include "workbench/run_dialog.h"

#include <QCloseEvent>
#include <QDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "common/core/pascal_str.h"
#include "common/core/text.h"
#include "engine/formatting.h"
#include "engine/globals.h"
#include "engine/output_files.h"
#include "engine/run_codes.h"
#include "engine/tables.h"
#include "platform/prompts.h"
#include "platform/qt/qt_prompts.h"
#include "workbench/case_state.h"
#include "workbench/window_state.h"

namespace halvorine {

namespace {

const char* const GraphTitle = "                          Range graph of input data";
const char* const TooManyLinesMessage =
    "The Rangegraph window can`t fit the whole data amount, - please use File / Save Rangegraph";

int memoCapacity = RangeGraphMemoCapacity;

// The numbers of the graph are as narrow as they go; the display width comes back afterwards.
class NarrowNumbers {
public:
    NarrowNumbers() : saved_(FieldWidth) { FieldWidth = 2; }
    ~NarrowNumbers() { FieldWidth = saved_; }
    NarrowNumbers(const NarrowNumbers&) = delete;
    NarrowNumbers& operator=(const NarrowNumbers&) = delete;

private:
    int saved_;
};

// A decision maker follows the data experts; before the experts are counted there is none.
bool IsGraphDecisionMaker(int e) {
    return ExpertCount > 0 && e > ExpertCount;
}

void AddLine(std::vector<std::string>& lines, const std::string& line) {
    lines.push_back(CutTo(line, GraphLineLength));
}

// The lowest first and highest last quantile of the data experts' valid assessments of item i
// and its realisation, as entered: the span of what the graph draws.
bool ValueSpan(int i, float& low, float& high) {
    const TItem* item = ItemTable[i].get();
    bool any = false;
    auto take = [&](float lo, float hi) {
        low = any ? std::min(low, lo) : lo;
        high = any ? std::max(high, hi) : hi;
        any = true;
    };
    for (int e = 1; e <= ExpertCount; ++e) {
        const TAssessment* a = IsDataExpert(e) ? AssessmentAt(e, i) : nullptr;
        if (a && a->Valid) take(a->Values[1], a->Values[QuantileCount]);
    }
    if (IsSeedItem(item)) take(item->Realisation, item->Realisation);
    return any;
}

// The id of a decision maker over the start of its items-wise line: up to the first blank
// after the third character that a non-blank follows, so "DMaker 1" shows as "DMaker".
void WriteDecisionMakerId(std::string& line, const std::string& id) {
    std::size_t n = 0;
    while (n < id.size() && n < line.size()) {
        const bool stop = n >= 3 && id[n] == ' ' && n + 1 < id.size() && id[n + 1] != ' ';
        if (stop) break;
        line[n] = id[n];
        ++n;
    }
    if (n < 3) line[2] = ' ';
    if (n == 1) line[1] = ' ';
}

std::string ExpertLine(int e, int i, const GraphScale& scale, int kind, const std::string& labelText) {
    const bool dm = IsGraphDecisionMaker(e);
    std::string line = labelText + " " + AssessmentGraphArea(AssessmentAt(e, i), scale, GraphAreaWidth(kind), dm);
    if (kind == ItemsWiseGraph && dm) WriteDecisionMakerId(line, ExpertTable[e]->Id);
    return line;
}

// The realisation's value centred under its '#'.
std::string RealisationValueLine(const TItem* item, const GraphScale& scale) {
    const int width = GraphAreaWidth(ItemsWiseGraph);
    const std::string text = FormatNumber(item->Realisation);
    const int h = static_cast<int>(text.size()) / 2;
    const int p = scale.Position(item->Realisation, width);
    int offset = 1;
    if (p > h) offset = width - h > p ? p - h : width - 2 * h - 1;
    return std::string(static_cast<std::size_t>(std::max(0, offset) + GraphLabelWidth(ItemsWiseGraph)), ' ') + text;
}

// The ends of the scale under the graph, the upper one ending in column 78.
std::string ScaleLine(const GraphScale& scale) {
    const std::string lead(static_cast<std::size_t>(GraphLabelWidth(ItemsWiseGraph)), ' ');
    if (!scale.HasBounds) return lead;
    const std::string lo = FormatNumber(scale.Low);
    const std::string hi = FormatNumber(scale.High);
    const int gap = GraphLineLength - 1 - static_cast<int>(lead.size() + lo.size() + hi.size());
    return lead + lo + std::string(static_cast<std::size_t>(std::max(1, gap)), ' ') + hi;
}

// The last slot the items-wise graph shows: every decision maker after the data experts.
int LastShownExpert() {
    int slot = ExpertCount > 0 ? ExpertCount + 1 : MaxExpertCount;
    while (slot <= ExpertSlotCount && ExpertTable[slot]) ++slot;
    return slot - 1;
}

void BuildItemsWise(std::vector<std::string>& lines) {
    const int last = LastShownExpert();
    for (int i = 1; i <= MaxItemCount; ++i) {
        const TItem* item = ItemTable[i].get();
        if (!item) continue;
        const GraphScale scale = ItemGraphScale(i);
        AddLine(lines, "Item no.: " + StrInt(i, 3) + " Item name: " + item->Id.str() + " Scale: " + item->Scale.str());
        AddLine(lines, "Experts");
        for (int e = 1; e <= last; ++e) {
            if (!ExpertTable[e]) continue;
            AddLine(lines, ExpertLine(e, i, scale, ItemsWiseGraph, IsGraphDecisionMaker(e) ? "DM " : StrInt(e, 3)));
        }
        AddLine(lines, RealisationLine(i, scale, ItemsWiseGraph));
        if (IsSeedItem(item)) AddLine(lines, RealisationValueLine(item, scale));
        AddLine(lines, ScaleLine(scale));
        AddLine(lines, "");
    }
}

void BuildExpertsWise(std::vector<std::string>& lines) {
    const int last = ExpertCount > 0 ? ExpertCount + 1 : MaxExpertCount;
    // Each seed item's scale once, not once per expert.
    std::vector<std::pair<int, GraphScale>> seeds;
    for (int i = 1; i <= MaxItemCount; ++i)
        if (IsSeedItem(ItemTable[i].get())) seeds.emplace_back(i, ItemGraphScale(i));
    for (int e = 1; e <= last; ++e) {
        const TExpert* expert = ExpertTable[e].get();
        if (!expert) continue;
        AddLine(lines, "Expert no. :  " + (IsGraphDecisionMaker(e) ? std::string("DM ") : StrInt(e, 3)) + "     " +
                           "Expert name:" + "  " + expert->Id.str() + "        ");
        AddLine(lines, "Items");
        for (const auto& [i, scale] : seeds) {
            const std::string& scaleWord = ItemTable[i]->Scale.str();
            const std::string label = StrInt(i, 3) + "(" + (scaleWord.empty() ? ' ' : scaleWord[0]) + ")";
            AddLine(lines, ExpertLine(e, i, scale, ExpertsWiseGraph, label));
            AddLine(lines, RealisationLine(i, scale, ExpertsWiseGraph));
            AddLine(lines, "");
        }
    }
}

}  // namespace

// ---------------------------------------------------------------- geometry and scale

int GraphAreaWidth(int kind) {
    return kind == ExpertsWiseGraph ? 72 : 75;
}

int GraphLabelWidth(int kind) {
    return GraphLineLength - GraphAreaWidth(kind);
}

int GraphScale::Position(float v, int width) const {
    if (!HasBounds) return 0;
    // A range of no width has no scale to place on.
    if (!(Range > 0) || !std::isfinite(Range)) return (width + 1) / 2;
    long double s = v;
    if (Log) {
        if (!(v > 0)) return 1;
        s = std::log(static_cast<long double>(v));
    }
    const long double f = width * (s - ScaledLow) / Range + 0.50001L;
    // Clamped before the rounding, so that no value can reach past the line.
    if (!(f >= 1)) return 1;
    if (f >= width) return width;
    return static_cast<int>(std::nearbyint(f));  // to nearest, ties to even
}

GraphScale ItemGraphScale(int i) {
    GraphScale scale;
    const TItem* item = (i >= 1 && i <= MaxItemCount) ? ItemTable[i].get() : nullptr;
    if (!item) return scale;
    // The span of the values as entered, the same values the markers are placed from; the
    // run's ranges stay in the item for the exports and sheets that read them.
    if (!ValueSpan(i, scale.Low, scale.High)) return scale;
    // A LOG item with values at or below zero is drawn on the linear scale of its values.
    scale.Log = IsLogItem(item) && scale.Low > 0;
    scale.HasBounds = true;
    auto scaled = [&](float v) {
        return scale.Log ? std::log(static_cast<long double>(v)) : static_cast<long double>(v);
    };
    scale.ScaledLow = scaled(scale.Low);
    scale.Range = scaled(scale.High) - scale.ScaledLow;
    return scale;
}

// ---------------------------------------------------------------- lines

char QuantileMarker(int k, int q) {
    static const char* const markers[6] = {"", "|", "[]", "[*]", "[<>]", "[<*>]"};
    if (k < 1 || k > q) return 0;
    if (q <= 5) return markers[q][k - 1];
    return k == 1 ? '[' : k == q ? ']' : 0;
}

std::string AssessmentGraphArea(const TAssessment* a, const GraphScale& scale, int width, bool decisionMaker) {
    std::string area(static_cast<std::size_t>(width), ' ');
    const int q = QuantileCount;
    if (!a || !a->Valid || !scale.HasBounds || q < 1 || q > MaxQuantileCount) return area;
    int p[MaxQuantileCount + 1];
    for (int k = 1; k <= q; ++k) p[k] = scale.Position(a->Values[k], width);
    if (p[q] == p[1]) {
        area[static_cast<std::size_t>(p[1] - 1)] = '|';
        return area;
    }
    const int from = std::min(p[1], p[q]);
    const int to = std::max(p[1], p[q]);
    std::fill(area.begin() + (from - 1), area.begin() + to, decisionMaker ? '=' : '-');
    for (int k = 1; k <= q; ++k)
        if (const char m = QuantileMarker(k, q)) area[static_cast<std::size_t>(p[k] - 1)] = m;
    return area;
}

std::string RealisationLine(int i, const GraphScale& scale, int kind) {
    const TItem* item = ItemTable[i].get();
    const int width = GraphAreaWidth(kind);
    const std::size_t label = static_cast<std::size_t>(GraphLabelWidth(kind));
    if (!IsSeedItem(item)) return std::string(label, ' ') + std::string(static_cast<std::size_t>(width), '~');
    std::string area(static_cast<std::size_t>(width), ':');
    if (const int p = scale.Position(item->Realisation, width)) area[static_cast<std::size_t>(p - 1)] = '#';
    std::string head = "Real";
    head.resize(label, ' ');
    return head + area;
}

std::vector<std::string> BuildRangeGraphText() {
    return BuildRangeGraphText(RangeGraphKind);
}

std::vector<std::string> BuildRangeGraphText(int kind) {
    NarrowNumbers narrow;
    std::vector<std::string> lines;
    AddLine(lines, GraphTitle);
    if (kind == ExpertsWiseGraph)
        BuildExpertsWise(lines);
    else
        BuildItemsWise(lines);
    return lines;
}

// ---------------------------------------------------------------- the window

TRangeGraphWindow::TRangeGraphWindow(QMdiArea* area, int kind) : QMdiSubWindow(nullptr), kind_(kind) {
    setObjectName(QStringLiteral("RangeGraphWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Range Graph ") + "(" + (kind == ExpertsWiseGraph ? "Experts" : "Items") + ")");

    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    Memo1 = new QPlainTextEdit(body);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Columns must line up: the first of these fixed-pitch faces that the system has.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setFamilies({QStringLiteral("Terminal"), QStringLiteral("DejaVu Sans Mono"),
                       QStringLiteral("Liberation Mono"), QStringLiteral("Courier New"), fixed.family()});
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setFixedPitch(true);
    Memo1->setFont(fixed);
    Label1 = new QLabel(QStringLiteral("Right-click inside the window to export the text"), body);
    Label1->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(Memo1, 1);
    layout->addWidget(Label1);
    setWidget(body);

    connect(this, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates old, Qt::WindowStates now) {
        if (!(old & Qt::WindowActive) && (now & Qt::WindowActive)) FormActivate();
    });

    RangeGraphKind = kind;
    lines_ = BuildRangeGraphText(kind);
    if (area) area->addSubWindow(this);

    // Wide enough for a whole line beside the scroll bar and for the label, 25 lines high, within
    // the area.
    const QFontMetrics fm = Memo1->fontMetrics();
    const int textWidth = fm.horizontalAdvance(QString(GraphLineLength + 1, QLatin1Char('0')));
    const int memoExtra = 2 * (Memo1->frameWidth() + static_cast<int>(Memo1->document()->documentMargin())) +
                          Memo1->verticalScrollBar()->sizeHint().width();
    const QMargins m = layout->contentsMargins();
    const QSize windowExtra = sizeHint() - body->sizeHint();  // the title bar and the frame
    QSize want(std::max(textWidth + memoExtra, Label1->sizeHint().width()) + m.left() + m.right(),
               fm.lineSpacing() * 25 + memoExtra + layout->spacing() + Label1->sizeHint().height() + m.top() +
                   m.bottom());
    want += windowExtra;
    if (area) want = want.boundedTo(area->viewport()->size());
    resize(want);

    LoadMemo();
}

TRangeGraphWindow::~TRangeGraphWindow() = default;

void TRangeGraphWindow::LoadMemo() {
    const std::size_t shown = std::min(lines_.size(), static_cast<std::size_t>(memoCapacity));
    QString text;
    for (std::size_t n = 0; n < shown; ++n) {
        if (n) text += QLatin1Char('\n');
        text += platform::QStringFromBytes(lines_[n]);
    }
    Memo1->setPlainText(text);
    if (shown < lines_.size() && Platform)
        Platform->Message(platform::MessageKind::Information, TooManyLinesMessage, platform::Buttons::Ok);
}

void TRangeGraphWindow::Refresh() {
    RangeGraphKind = kind_;
    lines_ = BuildRangeGraphText(kind_);
    LoadMemo();
}

void TRangeGraphWindow::FormActivate() {
    RangeGraphKind = kind_;
}

void TRangeGraphWindow::SaveRangeGraph() {
    const std::string ext = kind_ == ExpertsWiseGraph ? ".rge" : ".rgi";
    if (!OpenOutputFile(ext, "RangeGraph files (*" + ext + ")|*" + ext, OutFile, false)) return;
    try {
        // The graph's own text, every line ended, whatever the line-break setting of other exports.
        for (const std::string& line : lines_) OutFile.Write(line + "\r\n");
        OutFile.Close();
    } catch (...) {
        OutFile.Abandon();
        throw;
    }
}

void TRangeGraphWindow::closeEvent(QCloseEvent* event) {
    // Only this window's own reference goes: a newer graph of the kind keeps its.
    if (kind_ == ExpertsWiseGraph) {
        if (ExpertsRangeGraph == this) ExpertsRangeGraph = nullptr;
        RangeGraphKind = ItemsWiseGraph;
    } else {
        if (ItemsRangeGraph == this) ItemsRangeGraph = nullptr;
        RangeGraphKind = ExpertsWiseGraph;
    }
    QMdiSubWindow::closeEvent(event);
}

// ---------------------------------------------------------------- opening and saving

QMdiSubWindow* OpenRangeGraphWindow(QMdiArea* area, int kind) {
    kind = kind == ExpertsWiseGraph ? ExpertsWiseGraph : ItemsWiseGraph;
    QPointer<QMdiSubWindow>& slot = kind == ExpertsWiseGraph ? ExpertsRangeGraph : ItemsRangeGraph;
    RangeGraphKind = kind;
    auto* window = qobject_cast<TRangeGraphWindow*>(slot.data());
    if (window) {
        window->Refresh();
    } else {
        if (!area) return nullptr;
        window = new TRangeGraphWindow(area, kind);
        slot = window;
    }
    window->show();
    if (window->isMinimized()) window->showNormal();
    if (QMdiArea* owner = window->mdiArea()) {
        // The area places a new window beside the others; it goes back inside where that
        // would leave part of it out of sight.
        const QSize room = owner->viewport()->size();
        const QRect g = window->geometry();
        const QPoint inside(std::max(0, std::min(g.x(), room.width() - g.width())),
                            std::max(0, std::min(g.y(), room.height() - g.height())));
        if (inside != g.topLeft() && !window->isMaximized()) window->move(inside);
        owner->setActiveSubWindow(window);
    }
    window->raise();
    return window;
}

void SetRangeGraphMemoCapacityForTesting(int lines) {
    memoCapacity = lines > 0 ? lines : RangeGraphMemoCapacity;
}

}  // namespace halvorine
