#include "odds_report.h"
#include "pay_text.h"
#include "report_text.h"

#include "json_writer.h"

#include <algorithm>
#include <cmath>

namespace odds {

using namespace report_detail;

ReturnReportData BuildReturnReport(const ReturnTotals& totals, const std::vector<int>& plays,
                                   int threads, double seconds)
{
    ReturnReportData report;
    const Wide denominator = totals.denominator();
    report.family = totals.family;
    report.pays = totals.pays;
    report.deals = totals.deck().deals;
    report.weight = totals.deck().denominator;
    report.combinations = static_cast<std::int64_t>(denominator);
    report.paid = totals.paid;
    Wide a = totals.paid;
    Wide b = denominator;
    while (b != 0) {
        const Wide r = a % b;
        a = b;
        b = r;
    }
    report.numerator = totals.paid / a;
    report.denominator = denominator / a;
    report.returnText = FormatFraction(totals.paid, denominator, 10);
    report.variance = totals.variance();
    report.deviation = std::sqrt(std::max(0.0L, report.variance));
    Wide hits = 0;
    for (const int row : totals.family->rowsTopDown()) {
        const auto c = static_cast<std::size_t>(row);
        ReturnReportData::Row figures;
        figures.row = row;
        figures.pays = totals.pays[c];
        figures.combinations = static_cast<std::int64_t>(totals.rows[c]);
        figures.dealt = totals.dealtProbability(row);
        figures.probability = totals.rowProbability(row);
        figures.cycle = totals.rows[c] == 0 ? 0.0
                                            : static_cast<double>(denominator) /
                                                  static_cast<double>(totals.rows[c]);
        figures.share = figures.probability * static_cast<double>(figures.pays);
        report.rows.push_back(figures);
        if (totals.pays[c] > 0)
            hits += totals.rows[c];
    }
    report.hitFrequency = static_cast<double>(hits) / static_cast<double>(denominator);
    for (const int n : plays)
        report.plays.emplace_back(n, totals.playsDeviation(n));
    report.threads = threads;
    report.seconds = seconds;
    return report;
}

std::string RenderJson(const ReturnReportData& report)
{
    JsonWriter w;
    w.beginObject();
    w.key("pays");
    WritePays(w, report.pays, *report.family);
    w.key("return").raw(report.returnText);
    w.key("return_fraction").beginObject();
    w.key("numerator").raw(WholeText(report.numerator));
    w.key("denominator").raw(WholeText(report.denominator));
    w.endObject();
    w.key("combinations").value(report.combinations);
    w.key("paid").raw(WholeText(report.paid));
    w.key("variance").value(static_cast<double>(report.variance));
    w.key("standard_deviation").value(static_cast<double>(report.deviation));
    w.key("hit_frequency").value(report.hitFrequency);
    w.key("deals").value(report.deals);
    w.key("threads").value(report.threads);
    w.key("seconds").value(report.seconds);
    w.key("rows").beginArray();
    for (const ReturnReportData::Row& row : report.rows) {
        BeginRow(w, *report.family, row.row, row.pays);
        w.key("combinations").value(row.combinations);
        w.key("dealt").value(row.dealt);
        w.key("probability").value(row.probability);
        w.key("cycle");
        if (row.cycle > 0)
            w.value(row.cycle);
        else
            w.raw("null");
        w.key("contribution").value(row.share);
        w.endObject();
    }
    w.endArray();
    w.key("plays").beginArray();
    for (const auto& [n, deviation] : report.plays) {
        w.beginObject();
        w.key("plays").value(n);
        w.key("standard_deviation").value(static_cast<double>(deviation));
        w.endObject();
    }
    w.endArray();
    w.endObject();
    return w.text() + '\n';
}

std::string RenderText(const ReturnReportData& report)
{
    std::string out;
    out += "Pays     " + FormatPaysLine(report.pays, *report.family) + "\n";
    out += "Return   " + report.returnText + "  per unit bet, best hold on all " +
           std::to_string(report.deals) + " deals\n";
    out += "         = " + WholeText(report.numerator) + "/" + WholeText(report.denominator) +
           " exactly\n";
    out += Format("Variance %.9Lf   standard deviation %.9Lf\n", report.variance, report.deviation);
    out += Format("Hits     %.9f of the hands pay (hit frequency)\n", report.hitFrequency);
    out += "Every deal weighted by " + WholeText(report.weight, true) + ": " +
           WholeText(report.combinations, true) + " combinations\n\n";
    // Two tables of the same rows, so each fits 80 columns.
    out += Format("%-29s %7s %22s %19s\n", "Row", "Pays", "Combinations", "Cycle");
    for (const ReturnReportData::Row& row : report.rows) {
        const std::string cycle =
            row.cycle > 0 ? "1 in " + GroupedDecimal(row.cycle, 2) : std::string("never");
        out += Format("%-29s %7lld %22s %19s\n", RowText(*report.family, row.row).c_str(),
                      static_cast<long long>(row.pays), WholeText(row.combinations, true).c_str(),
                      cycle.c_str());
    }
    out +=
        Format("\n%-29s  %-14s  %-14s  %s\n", "Row", "Dealt", "After the draw", "Share of return");
    for (const ReturnReportData::Row& row : report.rows)
        out += Format("%-29s  %.12f  %.12f  %.10f\n", RowText(*report.family, row.row).c_str(),
                      row.dealt, row.probability, row.share);
    if (!report.plays.empty()) {
        out += "\nStandard deviation per hand of N-play (the N hands share the held cards):\n";
        for (const auto& [n, deviation] : report.plays)
            out += Format("  %3d-play  %.2Lf\n", n, deviation);
    }
    out += "\n";
    out += RowLegend("Rows: ", *report.family);
    out += Format("\nComputed in %.3f s on %d thread%s.\n", report.seconds, report.threads,
                  report.threads == 1 ? "" : "s");
    return out;
}

} // namespace odds
