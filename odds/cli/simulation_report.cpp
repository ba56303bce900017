#include "odds_report.h"
#include "pay_text.h"
#include "report_text.h"

#include "json_writer.h"

#include <cmath>

namespace odds {

using namespace report_detail;

SimulationReportData BuildSimulationReport(const SimulationTotals& seen, const ReturnTotals& exact,
                                           const SimulationRun& run)
{
    SimulationReportData report;
    report.run = run;
    report.hands = seen.hands;
    report.paid = seen.paid;
    report.family = exact.family;
    report.pays = exact.pays;
    const std::uint64_t n = seen.hands;
    const double mean = exact.returnValue();
    report.standardError = exact.payoutDeviation() / std::sqrt(static_cast<double>(n));
    report.observed = seen.returnValue();
    report.fairBestReturn = seen.fairReturn();
    report.gain = seen.gain();
    report.gainStandardError = seen.gainStandardError();
    report.z = report.standardError > 0 ? (report.observed - mean) / report.standardError : 0.0;
    report.exactText = FormatFraction(exact.paid, exact.denominator(), 10);
    const auto figure = [n](std::uint64_t count, double p) {
        return SimulationReportData::Figure{count,
                                            static_cast<double>(count) / static_cast<double>(n), p,
                                            StandardScore(count, n, p)};
    };
    for (const int row : exact.family->rowsTopDown()) {
        const auto c = static_cast<std::size_t>(row);
        report.rows.push_back({row, exact.pays[c],
                               figure(seen.dealt[c], exact.dealtProbability(row)),
                               figure(seen.made[c], exact.rowProbability(row))});
    }
    return report;
}

std::string RenderJson(const SimulationReportData& report)
{
    const auto put = [](JsonWriter& w, const char* key,
                        const SimulationReportData::Figure& figure) {
        w.key(key).beginObject();
        w.key("count").value(figure.count);
        w.key("observed").value(figure.observed);
        w.key("exact").value(figure.exact);
        w.key("z").value(figure.z);
        w.endObject();
    };
    JsonWriter w;
    w.beginObject();
    w.key("hands").value(report.hands);
    w.key("stopped").value(report.hands < report.run.options.hands);
    w.key("seed").value(report.run.options.seed);
    w.key("threads").value(report.run.threads);
    w.key("seconds").value(report.run.seconds);
    w.key("pays");
    WritePays(w, report.pays, *report.family);
    const bool game = report.run.options.play == DealKind::Game;
    w.key("play").value(game ? "game" : "fair");
    if (report.family->deck().cards != 52)
        w.key("shuffle").value("uniform");
    w.key("fair_best_return").value(report.fairBestReturn);
    w.key("gain").value(report.gain);
    w.key("gain_standard_error").value(report.gainStandardError);
    w.key("return").beginObject();
    w.key("observed").value(report.observed);
    w.key("paid").value(report.paid);
    w.key("exact").raw(report.exactText);
    w.key("standard_error").value(report.standardError);
    w.key("z").value(report.z);
    w.endObject();
    w.key("rows").beginArray();
    for (const SimulationReportData::Row& row : report.rows) {
        BeginRow(w, *report.family, row.row, row.pays);
        put(w, "dealt", row.dealt);
        put(w, "made", row.made);
        w.endObject();
    }
    w.endArray();
    w.endObject();
    return w.text() + '\n';
}

std::string RenderText(const SimulationReportData& report)
{
    std::string out;
    const bool game = report.run.options.play == DealKind::Game;
    out += Format("Hands    %llu through %s and the top of the deck,\n"
                  "         the best hold %s each time\n",
                  static_cast<unsigned long long>(report.hands),
                  report.family->deck().cards == 52 ? "the game's shuffle"
                                                    : "a uniform shuffle of 53 cards",
                  game ? "for the game's deal" : "for a fair deck");
    if (report.hands < report.run.options.hands)
        out += Format("Stopped  by Ctrl+C after %llu of %llu hands: the figures are for those\n",
                      static_cast<unsigned long long>(report.hands),
                      static_cast<unsigned long long>(report.run.options.hands));
    out += Format("Seed     %llu   (%d thread%s, %.2f s)\n",
                  static_cast<unsigned long long>(report.run.options.seed), report.run.threads,
                  report.run.threads == 1 ? "" : "s", report.run.seconds);
    out += "Pays     " + FormatPaysLine(report.pays, *report.family) + "\n";
    out += Format("Return   %.10f observed, %s exact on a fair deck:\n"
                  "         %+.2f standard errors\n",
                  report.observed, report.exactText.c_str(), report.z);
    if (game)
        out += Format("Gain     %+.10f +- %.10f (one standard error) over the fair\n"
                      "         deck's best hold on the same deals, which returned %.10f\n",
                      report.gain, report.gainStandardError, report.fairBestReturn);
    out += "\n";
    // Dealt and made after the draw in two tables, so each fits 80 columns.
    const auto table = [&](const char* seen, auto figure) {
        out += Format("%-31s %12s %12s %7s\n", "Row", seen, "fair deck", "z");
        for (const SimulationReportData::Row& row : report.rows) {
            const SimulationReportData::Figure& f = figure(row);
            out += Format("%-31s %12.8f %12.8f %+7.2f\n", RowText(*report.family, row.row).c_str(),
                          f.observed, f.exact, f.z);
        }
    };
    table("Dealt seen", [](const SimulationReportData::Row& row) { return row.dealt; });
    out += "\n";
    table("Made seen", [](const SimulationReportData::Row& row) { return row.made; });
    out += "\nz: how many standard errors the count lies from a fair deck's expectation.\n";
    out += RowLegend("Rows: ", *report.family);
    return out;
}

} // namespace odds
