#include "pairwise/model/report.h"

#include <algorithm>

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

std::string ItemNumber(int i) { return StrInt(ItemOrder[i], 2); }

// Blocks of `size` columns: Round(count / size), plus one when that leaves columns over. The
// rounding goes half to even, so this is count / size rounded up.
int BlockCount(int count, int size) {
    int blocks = count / size;
    const int rest = count % size;
    if (2 * rest > size || (2 * rest == size && blocks % 2 == 1)) ++blocks;
    if (size * blocks < count) ++blocks;
    return blocks;
}

std::string ReferenceLine(const std::string& lead, int item, long double value) {
    std::string line = lead + ItemNumber(item) + ". " + PadRight(RunItemIdOf(item), 14) + "    = " + StrExp(value, 12);
    if (item == NelRefItem) line += " (for NEL)";
    return line;
}

}  // namespace

void WriteReportLine(const std::string& line) { Report().WriteLine(line); }

void WriteBanner(TextFileWriter& file) {
    const std::string date = Platform ? Platform->ShortDate() : std::string();
    file.WriteLine("");
    file.WriteLine(CutTo("Case name: " + CaseFile.CaseName + RepeatChar(' ', 14) + date + RepeatChar(' ', 25) + "Wtrindel", 80));
    file.WriteLine("");
    file.WriteLine("");
}

void WriteReportHeader() {
    WriteBanner(Report());
    WriteReportLine("     RESULTS OF RUNNING MODELS FOR PAIRWISE COMPARISONS.");
    WriteReportLine("");
    WriteReportLine("  Number of experts : " + StrInt(RunExpertCount) + "    Number of items : " + StrInt(RunItemCount));
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

void WriteTriadLegend() {
    WriteReportLine("Inconsistencies (circular triads) in experts answers.");
    WriteReportLine(std::string("   Triads can be of the type  ") + "  C1   :   A>B, B>C and C>A");
    WriteReportLine(RepeatChar(' ', 30) + "  C2   :   A=B, A>C and B<C");
    WriteReportLine(RepeatChar(' ', 30) + "  C3   :   A=B, A=C and B<C");
    WriteReportLine("");
    WriteReportLine("Experts       items           circular triads");
}

void WriteTriadLine(int expert, int i, int j, int k, int kind, bool firstOfExpert) {
    const std::string lead = firstOfExpert ? PadRight(RunExpertId[expert], 14) : RepeatChar(' ', 14);
    WriteReportLine(lead + ItemNumber(i) + "," + ItemNumber(j) + "," + ItemNumber(k) + "        C" + StrInt(kind));
}

void WriteTriadTotal(int c1, int c2, int c3) {
    WriteReportLine(PadRight("total : ", 30) + StrInt(c1, 2) + "x C1 +" + StrInt(c2, 2) + "x C2 +" + StrInt(c3, 2) +
                    "x C3  =" + StrInt(c1 + c2 + c3, 3));
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
            std::string line = StrInt(RunExpertNumber[e], 3) + ". " + PadRight(RunExpertId[e], 8);
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
    WriteReportLine("  with          :    " + StrFixed(df, 9, 0) + "        " + StrFixed(df, 12, 0) + "   degrees of freedom)");
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
        for (const CalcVector* v : {&NelTransformed, &ThurstoneCLinear, &ThurstoneCLog, &ThurstoneBLinear, &ThurstoneBLog})
            line += "  " + StrExp((*v)[static_cast<std::size_t>(i)], 12);
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
    auto interval = [](const CalcVector& lower, const CalcVector& upper, int i) {
        const auto k = static_cast<std::size_t>(i);
        return " [" + StrExp(lower[k], 7) + "," + StrExp(upper[k], 7) + "]";
    };
    for (int i = 1; i <= n; ++i) {
        std::string line = ItemNumber(i) + interval(NelLowerBounds, NelUpperBounds, i) +
                           interval(ThurstoneCLinearLower, ThurstoneCLinearUpper, i);
        if (ScaleTransformation) line += interval(ThurstoneCLogLower, ThurstoneCLogUpper, i);
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
