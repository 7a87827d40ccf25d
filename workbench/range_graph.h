// The range graphs: a text chart of the case's assessments, each expert's quantiles as marker
// characters on a scale spanning the item's range with the realisation marked below, laid out
// per item (one line per expert and decision maker) or per expert (one line per seed item).
#pragma once

#include <QMdiSubWindow>

#include <string>
#include <vector>

#include "workbench/window_state.h"

class QLabel;
class QMdiArea;
class QPlainTextEdit;

namespace halvorine {

struct TAssessment;

// ---------------------------------------------------------------- the text, without windows

// Every line is cut to this length; label plus graph area fill it.
constexpr int GraphLineLength = 79;
// Columns of the graph area: 75 items-wise, 72 experts-wise.
int GraphAreaWidth(int kind);
// Columns before the graph area: 4 items-wise, 7 experts-wise.
int GraphLabelWidth(int kind);

// How the values of one item are placed on the graph.
struct GraphScale {
    bool HasBounds = false;  // false: nothing can be placed (no assessment, no realisation)
    bool Log = false;        // positions from the natural logarithms of the values
    float Low = 0;           // the ends, as the scale line shows them
    float High = 0;
    long double ScaledLow = 0;  // Low and High - Low, on the log scale for a LOG item
    long double Range = 0;

    // The column 1..width of v; 0 without bounds. A range of no width puts every value in the
    // middle column; on the log scale a value at or below 0 goes to column 1.
    int Position(float v, int width) const;
};

// The scale of item i: from the lowest first quantile of the data experts' valid assessments
// or the realisation to the highest last one, as entered (the values the markers are placed
// from); the item's stored ranges are left as the run made them. A LOG item whose values are
// not all positive is placed on the linear scale of its values.
GraphScale ItemGraphScale(int i);

// The marker of quantile k of q; 0 where that quantile has none (the middle ones of six and more).
char QuantileMarker(int k, int q);

// The graph area of an assessment: blanks unless it is valid; '|' where all its quantiles fall
// on one column; else the run ('-', or '=' for a decision maker) from the first quantile to the
// last with the markers on it.
std::string AssessmentGraphArea(const TAssessment* a, const GraphScale& scale, int width, bool decisionMaker);

// The realisation line of item i: "Real" and ':' with '#' at the realisation for a seed item,
// else a blank label and '~'.
std::string RealisationLine(int i, const GraphScale& scale, int kind);

// The lines of the layout RangeGraphKind, each cut to GraphLineLength characters.
std::vector<std::string> BuildRangeGraphText();
std::vector<std::string> BuildRangeGraphText(int kind);

// ---------------------------------------------------------------- the window

// The window of one layout: the lines in a read-only fixed-pitch text, which its context menu
// copies. Frees itself when closed.
class TRangeGraphWindow : public QMdiSubWindow {
    Q_OBJECT
public:
    // FormCreate: builds the lines of the layout.
    TRangeGraphWindow(QMdiArea* area, int kind);
    ~TRangeGraphWindow() override;

    QPlainTextEdit* Memo1 = nullptr;
    QLabel* Label1 = nullptr;

    int Kind() const { return kind_; }
    // The whole graph, also the lines the text could not take.
    const std::vector<std::string>& Lines() const { return lines_; }

    // Builds the lines again from the current results.
    void Refresh();
    void FormActivate();
    // Writes the lines to a file of the layout's kind (".rgi" items-wise, ".rge" experts-wise)
    // through the save choice; a cancelled choice writes nothing.
    void SaveRangeGraph();

protected:
    // FormClose
    void closeEvent(QCloseEvent* event) override;

private:
    void LoadMemo();
    int kind_;
    std::vector<std::string> lines_;
};

// The window of the layout, made when there is none, else built anew; shown and brought to the
// front. ItemsRangeGraph / ExpertsRangeGraph refer to it until it goes. RangeGraphKind := kind.
QMdiSubWindow* OpenRangeGraphWindow(QMdiArea* area, int kind);

// The most lines the window's text shows; past it the window tells the user to save the graph.
constexpr int RangeGraphMemoCapacity = 65536;
// A smaller capacity for tests; 0 goes back to RangeGraphMemoCapacity.
void SetRangeGraphMemoCapacityForTesting(int lines);

}  // namespace halvorine
