// The comparison report, CaseName + ".ouc": one writer per section, called in the order of the
// run (run_comparison.h). Every writer writes to ReportFile (workspace.h); with no report open,
// or on a failed write, IoError is raised.
#pragma once

#include <string>
#include <vector>

class TextFileWriter;

namespace trindel {

// One line to the report; CR LF is added.
void WriteReportLine(const std::string& line);

// An empty line, the case name with the platform's short date and the program name (cut to 80
// characters), two empty lines.
void WriteBanner(TextFileWriter& file);

// The banner, then the counts of experts and items and the reference values of the
// transformation.
void WriteReportHeader();

// P[r][c]/N[r][c] for the pairs above the diagonal, in blocks of 8 columns.
void WritePreferenceTable();

// The legend of the circular-triad listing.
void WriteTriadLegend();

// The circular-triad listing of a run, gathered and written in large pieces: the legend before
// the first triad, one line per triad (the expert's id on its first), an expert's total after
// its triads; Close ends the section with an empty line when anything was listed. kind is 1, 2
// or 3 (C1..C3); i, j, k are run positions.
class TriadListing {
public:
    TriadListing();
    void Line(int expert, int i, int j, int k, int kind, bool firstOfExpert);
    void Total(int c1, int c2, int c3);
    void Close();

private:
    void Flush();

    std::vector<std::string> numbers_;  // ItemNumber of every run item
    std::string pending_;
    bool legendWritten_ = false;
};

// Item scores per expert with the triad counts, in blocks of 9 items; then u and W.
void WriteScoresTable();

// NEL, Thurstone C and B values with both goodness-of-fit statistics.
void WriteModelValues();

// The values transformed to the reference values, with the order and contradiction warnings.
void WriteTransformedValues();

// The simulated confidence intervals of the NEL and Thurstone C values.
void WriteSimulatedIntervals();

// In place of the intervals when the simulation count does not fit the level.
void WriteNoSimulationPossible();

}  // namespace trindel
