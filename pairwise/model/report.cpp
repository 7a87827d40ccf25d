#include "pairwise/model/report.h"

#include <algorithm>
#include <utility>

#include "common/core/io_error.h"
#include "common/core/line_io.h"
#include "common/core/pascal_str.h"
#include "common/core/text.h"
#include "pairwise/model/agreement.h"
#include "pairwise/model/globals.h"
#include "pairwise/model/model_results.h"
#include "pairwise/model/nel_model.h"
#include "pairwise/model/report_format.h"
#include "pairwise/model/transformation.h"
#include "pairwise/model/triads.h"
#include "pairwise/model/workspace.h"
#include "platform/prompts.h"

namespace trindel {

namespace {

TextFileWriter& Report() {
    if (!ReportFile) throw IoError(CaseFile.CaseName + ".ouc", "the report is not open");
    return *ReportFile;
}

// The Id of run item i: ItemOrder holds its position in ItemTable.
std::string RunItemIdOf(int i) {
    const int position = ItemOrder[i];
    if (position < 1 || position > MaxItemCount || !ItemTable[position]) return {};
    return ItemTable[position]->Id;
}

std::string ItemNumber(int i) {
    return StrInt(ItemOrder[i], 2);
}

// Blocks of `size` columns: Round(count / size), plus one when that leaves columns over. The
// rounding goes half to even, so this is count / size rounded up.
int BlockCount(int count, int size) {
    int blocks = count / size;
    const int rest = count % size;
    if (2 * rest > size || (2 * rest == size && blocks % 2 == 1)) ++blocks;
    if (size * blocks < count) ++blocks;
    return blocks;
}

// What a column or an interval of a map that could not be computed shows in place of numbers
// (the note lines after the table say why).
const std::string NotComputedCell = "not computed";
const std::string NotComputedInterval = " [    not computed     ]";

std::string ReferenceLine(const std::string& lead, int item, long double value) {
    std::string line = lead + ItemNumber(item) + ". " + PadRight(RunItemIdOf(item), 14) + "    = " + StrExp(value, 12);
    if (item == NelRefItem) line += " (for NEL)";
    return line;
}

}  // namespace

void WriteReportLine(const std::string& line) {
    Report().WriteLine(line);
}

void WriteBanner(TextFileWriter& file) {
    const std::string date = Platform ? Platform->ShortDate() : std::string();
    file.WriteLine("");
    file.WriteLine(CutToCharacters(
        "Case name: " + CaseFile.CaseName + RepeatChar(' ', 14) + date + RepeatChar(' ', 25) + "Wtrindel", 80));
    file.WriteLine("");
    file.WriteLine("");
}

void WriteReportHeader() {
    WriteBanner(Report());
    WriteReportLine("     RESULTS OF RUNNING MODELS FOR PAIRWISE COMPARISONS.");
    WriteReportLine("");
    WriteReportLine("  Number of experts : " + StrInt(RunExpertCount) +
                    "    Number of items : " + StrInt(RunItemCount));
    if (ScaleTransformation) {
        WriteReportLine("  Transformation: yes. ");
        WriteReportLine(ReferenceLine("  Reference values. Item ", RefItem1, RefValue1));
        WriteReportLine(ReferenceLine(RepeatChar(' ', 20) + "Item ", RefItem2, RefValue2));
    } else {
        WriteReportLine("  Transformation: no. ");
    }
}

void WritePreferenceTable() {
    const int n = RunItemCount;
    WriteReportLine("Number of experts preferring \"left\" item to the \"top\",");
    WriteReportLine("       relative to the total number of replying experts");
    WriteReportLine("");
    const int blocks = BlockCount(n, 8);
    for (int b = 1; b <= blocks; ++b) {
        const int last = std::min(8 * b, n - 1);
        const int firstColumn = 8 * b - 6;
        std::string header = "Item";
        for (int c = firstColumn; c <= last + 1; ++c) header += "     " + ItemNumber(c) + "  ";
        WriteReportLine(header);
        for (int r = 1; r <= last; ++r) {
            std::string line = ItemNumber(r) + "  ";
            for (int c = firstColumn; c <= last + 1; ++c) {
                if (r >= c)
                    line += RepeatChar(' ', 9);
                else
                    line += "  " + StrFixed(PreferenceCount[r][c], 4, 1) + "/" + StrInt(PairCount[r][c], 2);
            }
            WriteReportLine(line);
        }
        WriteReportLine("");
    }
    WriteReportLine("");
}

// Lines as TextFileWriter::WriteLine ends them.
constexpr const char* LineEnd = "\r\n";

void WriteTriadLegend() {
    WriteReportLine("Inconsistencies (circular triads) in experts answers.");
    WriteReportLine(std::string("   Triads can be of the type  ") + "  C1   :   A>B, B>C and C>A");
    WriteReportLine(RepeatChar(' ', 30) + "  C2   :   A=B, A>C and B<C");
    WriteReportLine(RepeatChar(' ', 30) + "  C3   :   A=B, A=C and B<C");
    WriteReportLine("");
    WriteReportLine("Experts       items           circular triads");
}

TriadListing::TriadListing() {
    numbers_.resize(static_cast<std::size_t>(std::max(RunItemCount, 0)) + 1);
    for (int i = 1; i <= RunItemCount; ++i) numbers_[static_cast<std::size_t>(i)] = ItemNumber(i);
}

void TriadListing::Line(int expert, int i, int j, int k, int kind, bool firstOfExpert) {
    if (!legendWritten_) {
        WriteTriadLegend();
        legendWritten_ = true;
    }
    if (firstOfExpert)
        pending_ += PadRight(RunExpertId[expert], 14);
    else
        pending_.append(14, ' ');
    pending_ += numbers_[static_cast<std::size_t>(i)];
    pending_ += ',';
    pending_ += numbers_[static_cast<std::size_t>(j)];
    pending_ += ',';
    pending_ += numbers_[static_cast<std::size_t>(k)];
    pending_ += "        C";
    pending_ += static_cast<char>('0' + kind);
    pending_ += LineEnd;
    if (pending_.size() >= (std::size_t{1} << 20)) Flush();
}

void TriadListing::Total(int c1, int c2, int c3) {
    pending_ += PadRight("total : ", 30) + StrInt(c1, 2) + "x C1 +" + StrInt(c2, 2) + "x C2 +" + StrInt(c3, 2) +
                "x C3  =" + StrInt(c1 + c2 + c3, 3) + LineEnd;
}

void TriadListing::Flush() {
    if (pending_.empty()) return;
    Report().Write(pending_);
    pending_.clear();
}

void TriadListing::Close() {
    Flush();
    if (legendWritten_) WriteReportLine("");
}

void WriteScoresTable() {
    const int n = RunItemCount;
    const int m = RunExpertCount;
    WriteReportLine("Items scores,  circular triads C(e)  and  coefficients of agreement");
    bool unanswered = false;
    const int blocks = BlockCount(n, 9);
    for (int b = 1; b <= blocks; ++b) {
        const int first = 9 * b - 8;
        const int last = std::min(9 * b, n);
        const bool reachesEnd = last == n;
        WriteReportLine(RepeatChar(' ', 18) + "Items:");
        std::string header = PadRight("Expert name", 13);
        for (int c = first; c <= last; ++c) header += StrInt(ItemOrder[c], 5) + " ";
        if (reachesEnd) header += "    Triads";
        WriteReportLine(header);
        for (int e = 1; e <= m; ++e) {
            // Counted experts are numbered 1..m: flagged ones have left the run.
            std::string line = StrInt(e, 3) + ". " + PadRight(RunExpertId[e], 8);
            for (int c = first; c <= last; ++c) {
                if (Answered[c][e]) {
                    line += StrFixed(ItemScore[c][e], 6, 1);
                } else {
                    line += "    ? ";
                    unanswered = true;
                }
            }
            if (reachesEnd) line += StrInt(TriadCount[e], 7);
            WriteReportLine(line);
        }
        std::string total = PadRight("Total", 13);
        for (int c = first; c <= last; ++c) total += StrFixed(ItemScoreTotal[c], 6, 1);
        WriteReportLine(total);
        WriteReportLine("");
    }
    if (unanswered) WriteReportLine("  ?    means that expert didn't give information about the item.");
    WriteReportLine("");
    const std::string u = "Coefficient of agreement   u = " + StrFixed(AgreementU, 4, 3);
    if (NoTieAnswers) {
        WriteReportLine(u);
        WriteReportLine("");
    } else {
        WriteReportLine(u + " (approxim., because of \"=\" answers)");
    }
    WriteReportLine("               concordance W = " + StrFixed(ConcordanceW, 4, 3));
    WriteReportLine("");
}

void WriteModelValues() {
    const int n = RunItemCount;
    WriteReportLine("Non-transformed items values");
    WriteReportLine("");
    WriteReportLine("Item name         NEL(Bradley-Terry)      Thurstone C       Thurstone B");
    for (int i = 1; i <= n; ++i)
        WriteReportLine(ItemNumber(i) + ". " + PadRight(RunItemIdOf(i), 14) + StrFixed(NelValues[i], 12, 4) + "      " +
                        StrFixed(ThurstoneCValues[i], 14, 4) + "      " + StrFixed(ThurstoneBValues[i], 12, 4));
    WriteReportLine("");
    // (n - 1)(n - 2) / 2 for both models; a whole number for every n.
    const long double df = static_cast<long double>((n - 1) * (n - 2)) / 2;
    WriteReportLine("Goodness of fit : " + StrFixed(NelFitStatistic, 12, 4) + "        " +
                    StrFixed(ThurstoneFitStatistic, 12, 4) + "(Chi-square distributed");
    WriteReportLine("  with          :    " + StrFixed(df, 9, 0) + "        " + StrFixed(df, 12, 0) +
                    "   degrees of freedom)");
    const std::string note = NelConvergenceNote();
    if (!note.empty()) WriteReportLine(note);
    WriteReportLine("");
}

void WriteTransformedValues() {
    const int n = RunItemCount;
    WriteReportLine("Transformed item values");
    WriteReportLine("");
    WriteReportLine(std::string("Item  NEL(Br.-T)   ThurC(lin)    ThurC(log)  ") + "   ThurB(lin)   ThurB(log)");
    for (int i = 1; i <= n; ++i) {
        std::string line = ItemNumber(i);
        const std::pair<const CalcVector*, MapStatus> columns[] = {{&NelTransformed, NelMapStatus},
                                                                   {&ThurstoneCLinear, ThurstoneCMaps.Linear},
                                                                   {&ThurstoneCLog, ThurstoneCMaps.Log},
                                                                   {&ThurstoneBLinear, ThurstoneBMaps.Linear},
                                                                   {&ThurstoneBLog, ThurstoneBMaps.Log}};
        for (const auto& [v, status] : columns)
            line += "  " +
                    (status == MapStatus::Computed ? StrExp((*v)[static_cast<std::size_t>(i)], 12) : NotComputedCell);
        if (i == NelRefItem)
            line += " REF";
        else if (i == RefItem1 || i == RefItem2)
            line += " ref";
        WriteReportLine(line);
    }
    WriteReportLine("");
    WriteReportLine(" REF    marks the reference value for the NEL and Thurstone models");
    WriteReportLine(" ref    marks the other reference value for the Thurstone models");
    if (ThurstoneBReversed || ThurstoneCReversed) {
        WriteReportLine(" WARNING :");
        WriteReportLine(" Non-transformed values contradict the order of the reference values:");
        WriteReportLine(" transformed values are unreliable for");
        if (ThurstoneBReversed) WriteReportLine("   Thurstone B model");
        if (ThurstoneCReversed) WriteReportLine("   Thurstone C model");
    }
    if (ThurstoneContradiction) {
        WriteReportLine("Thurstone model reports that reference values and/or");
        WriteReportLine("      experts opinions are contradictory.");
    }
    for (const std::string& note : TransformationNotes()) WriteReportLine(note);
}

void WriteSimulatedIntervals() {
    const int n = RunItemCount;
    WriteReportLine("");
    WriteReportLine("Simulation of " + StrInt(ConfidenceLevel) + "% confidence intervals.");
    WriteReportLine(ScaleTransformation ? "  Results transformed with respect to reference values." : "");
    WriteReportLine("");
    WriteReportLine(std::string("Item   NEL (Bradley-Terry)     Thurstone C (linear)") +
                    (ScaleTransformation ? "     Thurstone C (log)" : ""));
    // Without scale transformation the bounds are the refitted values themselves.
    auto mapped = [](MapStatus status) { return !ScaleTransformation || status == MapStatus::Computed; };
    auto interval = [](const CalcVector& lower, const CalcVector& upper, int i, bool computed) {
        if (!computed) return NotComputedInterval;
        const auto k = static_cast<std::size_t>(i);
        return " [" + StrExp(lower[k], 7) + "," + StrExp(upper[k], 7) + "]";
    };
    for (int i = 1; i <= n; ++i) {
        std::string line = ItemNumber(i) + interval(NelLowerBounds, NelUpperBounds, i, mapped(NelMapStatus)) +
                           interval(ThurstoneCLinearLower, ThurstoneCLinearUpper, i, mapped(ThurstoneCMaps.Linear));
        if (ScaleTransformation)
            line += interval(ThurstoneCLogLower, ThurstoneCLogUpper, i, mapped(ThurstoneCMaps.Log));
        WriteReportLine(line);
    }
    if (LogBoundOverflow && ScaleTransformation) {
        WriteReportLine("");
        WriteReportLine("Overflow while calculating bounds for  Thurstone C (log).");
    }
    WriteReportLine("");
}

void WriteNoSimulationPossible() {
    WriteReportLine("  No simulation possible.");
    WriteReportLine("     Number of simulations is too large OR interval is too narrow");
    WriteReportLine(RepeatChar('-', 44));
}

}  // namespace trindel
