#include "odds_report.h"
#include "pay_text.h"
#include "report_text.h"

#include "command_line.h"
#include "json_writer.h"

#include <algorithm>

namespace odds {

using namespace report_detail;

RuinReportData BuildRuinReport(const PayVector& pays, std::int64_t bankroll, std::int64_t bet,
                               std::int64_t hands, const RuinResult& result, double seconds)
{
    RuinReportData report;
    report.pays = pays;
    report.bankroll = bankroll;
    report.bet = bet;
    report.hands = hands;
    report.result = result;
    const std::int64_t spare = bankroll % bet;
    report.low = result.low * bet + spare;
    report.median = result.median * bet + spare;
    report.high = result.high * bet + spare;
    report.seconds = seconds;
    return report;
}

namespace {

// Money in JSON: a number, whole when it is whole dollars.
void Money(JsonWriter& w, const char* key, std::int64_t cents)
{
    w.key(key).raw(DollarText(cents));
}

// The hands of a run in JSON: null for ever.
void Hands(JsonWriter& w, std::int64_t hands)
{
    if (hands == 0)
        w.key("hands").raw("null");
    else
        w.key("hands").value(hands);
}

// The opening of a report on a bet over so many hands, with no bankroll given.
void BeginBetRun(JsonWriter& w, const Family& family, const PayVector& pays, std::int64_t bet,
                 std::int64_t hands)
{
    w.beginObject();
    w.key("pays");
    WritePays(w, pays, family);
    Money(w, "bet", bet);
    Hands(w, hands);
}

std::string Horizon(std::int64_t hands, int plays)
{
    const std::string of = plays == 1 ? "" : Format(" of %d-play", plays);
    return hands == 0 ? "for ever" + of : Format("%lld hands", static_cast<long long>(hands)) + of;
}

} // namespace

std::string RenderJson(const RuinReportData& report)
{
    JsonWriter w;
    w.beginObject();
    w.key("pays");
    WritePays(w, report.pays, *report.family);
    Money(w, "bankroll", report.bankroll);
    Money(w, "bet", report.bet);
    Hands(w, report.forever() ? 0 : report.result.hands);
    w.key("plays").value(report.plays);
    if (report.forever()) {
        w.key("ever").value(true);
        w.key("ruin").value(report.ever.ruin);
        w.key("error_bound").value(report.ever.errorBound);
        w.key("certain").value(report.ever.certain);
        w.key("adjustment").value(report.ever.adjustment);
        w.key("hands_carried").value(report.ever.hands);
    } else {
        w.key("ruin").value(report.result.ruin);
        w.key("error_bound").value(report.result.errorBound);
        w.key("bankroll_after").beginObject();
        Money(w, "p05", report.low);
        Money(w, "median", report.median);
        Money(w, "p95", report.high);
        w.endObject();
        if (report.stopped())
            w.key("stopped").value(true);
    }
    w.key("seconds").value(report.seconds);
    w.endObject();
    return w.text() + '\n';
}

std::string RenderText(const RuinReportData& report)
{
    std::string out;
    out += "Pays     " + FormatPaysLine(report.pays, *report.family) + "\n";
    out += "Start    $" + DollarText(report.bankroll) + " bankroll, $" + DollarText(report.bet) +
           " a hand, " + Horizon(report.forever() ? 0 : report.result.hands, report.plays) +
           ", best hold each time" + (report.stopped() ? " (stopped)" : "") + "\n";
    const std::string unable = "(unable to bet $" + DollarText(report.bet * report.plays) + ")";
    if (report.forever()) {
        out += Wrapped("Ruin     ", Format("%.10f", report.ever.ruin) +
                                        (report.ever.ruin > 0 && report.ever.ruin < 1e-4
                                             ? Format(" (%.3e)", report.ever.ruin)
                                             : std::string()) +
                                        "  chance of ever going broke " + unable);
        if (report.ever.certain)
            out += Format("         certain: the table returns %.10f per unit bet, no more than "
                          "1,\n         so the bankroll comes down to nothing in the end\n",
                          report.returnValue);
        else if (report.ever.hands == 0)
            out += Format("         the table returns %.10f per unit bet; with R = %.10f,\n"
                          "         where E[exp(-R net)] = 1, ruin from y bets is exp(-R y)\n"
                          "         exactly, as a hand loses one bet at most\n",
                          report.returnValue, report.ever.adjustment);
        else
            out += Format("         the table returns %.10f per unit bet; carried %lld hands,\n"
                          "         until the levels still live could add at most %.0e: with\n"
                          "         R = %.10f, where E[exp(-R net)] = 1, ruin from y bets is\n"
                          "         at most exp(-R (y - %d))\n",
                          report.returnValue, static_cast<long long>(report.ever.hands),
                          kEverTolerance, report.ever.adjustment, report.plays - 1);
        out += Format("\nThe ruin figure is exact to within %.1e; computed in %.2f s.\n",
                      std::max(report.ever.errorBound, 1e-15), report.seconds);
        return out;
    }
    out += Wrapped("Ruin     ", Format("%.10f  chance of going broke ", report.result.ruin) +
                                    unable + " within the hands");
    out += "After    $" + DollarText(report.low) + " at the 5% point, $" +
           DollarText(report.median) + " median, $" + DollarText(report.high) +
           " at the 95% point\n";
    out += Format("\nThe ruin figure is exact to within %.1e; computed in %.2f s.\n",
                  std::max(report.result.errorBound, 1e-15), report.seconds);
    return out;
}

std::string RenderJson(const RiskReportData& report)
{
    JsonWriter w;
    BeginBetRun(w, *report.family, report.pays, report.bet, report.hands);
    w.key("plays").value(report.plays);
    w.key("risk").value(report.risk);
    if (report.units > 0) {
        w.key("bankroll_bets").value(report.units);
        Money(w, "bankroll", report.units * report.bet);
        w.key("ruin").value(report.ruin);
        w.key("error_bound").value(report.errorBound);
        if (report.ruinBelow >= 0)
            w.key("ruin_one_bet_less").value(report.ruinBelow);
    } else {
        w.key("bankroll_bets").raw("null");
        w.key("certain").value(report.certain);
        w.key("max_bets").value(report.maxUnits);
    }
    w.key("seconds").value(report.seconds);
    w.endObject();
    return w.text() + '\n';
}

std::string RenderText(const RiskReportData& report)
{
    std::string out;
    out += "Pays     " + FormatPaysLine(report.pays, *report.family) + "\n";
    out += "Start    $" + DollarText(report.bet) + " a hand, " +
           Horizon(report.hands, report.plays) + ", best hold each time\n";
    const std::string within = report.hands == 0 ? "ever" : "within the hands";
    out += Format("Risk     at most %g of going broke ", report.risk) + within + "\n";
    if (report.units > 0) {
        std::string bankroll = Format("%lld bets ($", static_cast<long long>(report.units)) +
                               DollarText(report.units * report.bet) +
                               Format(") at least: ruin %.10f", report.ruin);
        if (report.ruinBelow >= 0)
            bankroll += Format(", one bet less %.10f", report.ruinBelow);
        out += Wrapped("Bankroll ", bankroll);
        out += Format("\nThe ruin figures are exact to within %.1e; computed in %.2f s.\n",
                      std::max(report.errorBound, 1e-15), report.seconds);
    } else if (report.certain) {
        out += Format("Bankroll none will do: the table returns %.10f per unit bet,\n"
                      "         no more than 1, so ruin for ever is certain\n",
                      report.returnValue);
    } else {
        out += Format("Bankroll more than %lld bets, the most this command tries\n",
                      static_cast<long long>(report.maxUnits));
    }
    return out;
}

std::string RenderJson(const RuinCurveReportData& report)
{
    JsonWriter w;
    BeginBetRun(w, *report.family, report.pays, report.bet, report.hands);
    w.key("curve").beginArray();
    for (const RuinCurveReportData::Point& point : report.points) {
        w.beginObject();
        w.key("bankroll_bets").value(point.units);
        Money(w, "bankroll", point.units * report.bet);
        w.key("ruin").value(point.ruin);
        w.endObject();
    }
    w.endArray();
    w.key("error_bound").value(report.errorBound);
    w.key("seconds").value(report.seconds);
    w.endObject();
    return w.text() + '\n';
}

std::string RenderText(const RuinCurveReportData& report)
{
    std::string out;
    out += "Pays     " + FormatPaysLine(report.pays, *report.family) + "\n";
    out += "Start    $" + DollarText(report.bet) + " a hand, " + Horizon(report.hands, 1) +
           ", best hold each time\n\n";
    out += "    Bets      Bankroll  Chance of going broke within the hands\n";
    for (const RuinCurveReportData::Point& point : report.points)
        out += Format("%8lld  %12s  %.10f\n", static_cast<long long>(point.units),
                      ("$" + DollarText(point.units * report.bet)).c_str(), point.ruin);
    out += Format("\nEvery figure is exact to within %.1e; all bankrolls from one pass in "
                  "%.2f s.\n",
                  std::max(report.errorBound, 1e-15), report.seconds);
    return out;
}

} // namespace odds
