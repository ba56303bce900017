#include "commands.h"

#include "bankroll_search.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <type_traits>

namespace odds {
namespace {

const char* const kRuinHelp =
    "The chance of going broke, no longer able to pay the next bet, within the\n"
    "hands, playing the best hold each time, and the bankroll's 5 %, 50 % and\n"
    "95 % points after them. One hand's net result comes from the exact row\n"
    "chances of the pay table; the bankroll's distribution is carried hand by\n"
    "hand in bet units, exactly (no random play). Amounts are dollars and cents,\n"
    "read exactly; what is left over that could never make a bet stays in the\n"
    "bankroll. With --plays N each round bets U on each of N hands that share\n"
    "the deal and the held cards and draw from their own copies of the rest of\n"
    "the deck.\n"
    "\n"
    "--hands inf gives the chance of ever going broke. It is 1 for a table that\n"
    "returns 1 or less. Otherwise, with R > 0 where E[exp(-R net)] = 1, it is\n"
    "exp(-R y) from y bets exactly for one play a hand (a hand loses one bet at\n"
    "most); for N-play the hands are carried until the Lundberg bound\n"
    "exp(-R (y - N + 1)) on what the levels still live could add is below 1e-10\n"
    "(or 10,000,000 hands), and half of that is the printed error.\n"
    "\n"
    "--risk P, instead of --bankroll, finds the smallest bankroll in bets (and\n"
    "dollars) whose chance of going broke within the hands, or ever, is at most\n"
    "P. For one play within the hands, one backward pass over the levels gives\n"
    "the chance from every bankroll at once: from the hands' end, where only a\n"
    "bankroll that cannot bet is broke, one hand at a time to their start;\n"
    "levels from which ruin in the hands left is below 1e-12 (the bound below)\n"
    "count as none. Otherwise ruin falls as the bankroll grows, so doubling and\n"
    "halving find it, one run at each bankroll tried.\n"
    "\n"
    "--curve, instead of --bankroll, prints that chance for about twenty\n"
    "bankrolls from one bet to where it falls below 0.0001, from the same pass\n"
    "(one play, --hands H).\n"
    "\n"
    "Truncation: levels at the top of the bankroll's distribution are set aside\n"
    "as never broke when they hold below 1e-15 of the chance and going broke\n"
    "from them in the hands left has a chance below 1e-12 (a Chernoff bound);\n"
    "levels at either end holding below 1e-19 are set aside too. The bound on\n"
    "the error this makes in the ruin figure is printed; it stays far below\n"
    "1e-9.\n"
    "\n"
    "Rounds of more than 16 plays come from the round's spectrum, and each hand\n"
    "of N-play steps by a convolution by FFT (KISS FFT, in double), as a round\n"
    "has thousands of outcomes. The round-off is bounded from the FFT's error\n"
    "bound: at most (16 log2 L + 16) u |x| at any level and sqrt(L) times that\n"
    "in all, for a transform of length L, levels x (2-norm) and u = 2^-53;\n"
    "levels within it of zero are set to zero and what they held is counted\n"
    "too. Nets of N-play rarer than 1e-17 in all are left out. All of it is in\n"
    "the printed bound, some 5e-10 for 10-play over 1,600 hands.\n"
    "\n"
    "Time: it follows the hands times the width of the bankroll's spread, not\n"
    "the bankroll; the spread grows with the square root of the hands, so the\n"
    "time with the hands to the 1.5. --hands times --plays is at most 1,000,000:\n"
    "a bankroll of 1,000 bets takes about a minute there on two cores, and\n"
    "10,000,000 would take half an hour. On a terminal a run longer than a\n"
    "second shows a progress bar and, where it takes longer than 10 s, how long;\n"
    "Ctrl+C ends it with the figures of the hands so far, marked as stopped, and\n"
    "exit code 130. A spread wider than 8388608 levels (about 130 MB), which only\n"
    "huge --pays reach, is refused.";

struct RuinOptions
{
    ValueOption bankroll;
    ValueOption bet;
    ValueOption hands;
    ValueOption plays;
    ValueOption risk;
    bool curve = false;
};

// The hands one run carries at most, times the plays of each: a bankroll of
// 1,000 bets over 1,000,000 hands of one play takes about a minute, as the
// spread, and so each hand's work, grows with the square root of the hands.
constexpr std::int64_t kMaxRuinHands = 1000000;
constexpr std::int64_t kMaxDollars = 1000000000000LL;
constexpr std::int64_t kMaxUnits = 10000000;

// The chance --risk takes: a decimal above 0 and below 1.
double ParseRisk(const std::string& text)
{
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
        !(value > 0 && value < 1))
        throw UsageError{"--risk must be a chance above 0 and below 1, such as 0.01, not " +
                         Quote(text)};
    return value;
}

// One ruin run: a progress bar on a terminal, Ctrl+C ends it with the
// hands so far.
std::string TooWideMessage()
{
    return "ruin: the bankroll's spread under these pays grows past " + std::to_string(kMaxLevels) +
           " levels; try fewer --hands, --plays or smaller --pays";
}

class RuinRunner
{
  public:
    RuinRunner(const CommandContext& c, const RoundOutcomes& round, std::int64_t hands)
        : m_c(c), m_round(round), m_hands(hands)
    {
    }

    RuinResult within(std::int64_t units)
    {
        return run(m_hands, 1.5, [&](const RuinProgress& p) {
            return ComputeRuin(m_round, units, m_hands, DefaultThreadCount(), p);
        });
    }
    RuinCurve curve()
    {
        return run(m_hands, 2,
                   [&](const RuinProgress& p) { return ComputeRuinCurve(m_round, m_hands, p); });
    }
    EverRuin ever(std::int64_t units)
    {
        return run(0, 1, [&](const RuinProgress& p) {
            return ComputeEverRuin(m_round, units, DefaultThreadCount(), p);
        });
    }
    bool stopped() const { return StopOnInterrupt::stopped().load(); }

  private:
    // The work of a run within the hands grows as the hands to the 1.5.
    template <class F>
    std::invoke_result_t<F, const RuinProgress&> run(std::int64_t total, double growth, F&& compute)
    {
        std::atomic<std::uint64_t> done{0};
        std::optional<ProgressBar> bar;
        if (m_c.progress)
            bar.emplace(m_c.err, static_cast<std::uint64_t>(total), done, growth);
        const RuinProgress progress{&done, &StopOnInterrupt::stopped()};
        try {
            return compute(progress);
        } catch (const RuinTooWide&) {
            throw UsageError{TooWideMessage()};
        }
    }

    const StopOnInterrupt m_interrupt;
    const CommandContext& m_c;
    const RoundOutcomes& m_round;
    std::int64_t m_hands; // 0: for ever
};

// The smallest bankroll in bets whose ruin is at most risk: ruin falls as
// the bankroll grows, so doubling finds a bankroll that is enough and
// halving the gap the smallest.

// About twenty bankrolls from one bet to where ruin has fallen below 1e-4,
// evenly spaced in whole bets.
RuinCurveReportData BuildCurveReport(const RuinCurve& curve, std::int64_t bet)
{
    RuinCurveReportData report;
    report.bet = bet;
    report.errorBound = curve.errorBound;
    auto last = static_cast<std::int64_t>(curve.ruin.size());
    for (std::int64_t u = 1; u < last; ++u)
        if (curve.ruin[static_cast<std::size_t>(u)] < 1e-4) {
            last = u;
            break;
        }
    const std::int64_t step = std::max<std::int64_t>(1, (last + 19) / 20);
    for (std::int64_t u = 1;; u += step) {
        const std::int64_t at = std::min(u, last);
        report.points.push_back({at, at < static_cast<std::int64_t>(curve.ruin.size())
                                         ? curve.ruin[static_cast<std::size_t>(at)]
                                         : 0.0});
        if (at == last)
            break;
    }
    return report;
}

// The report of a risk search: the answer in the analysis' terms, and the
// figures the report adds.
RiskReportData RiskReport(const RiskAnswer& answer, double risk)
{
    RiskReportData report;
    report.risk = risk;
    report.maxUnits = kMaxUnits;
    report.units = answer.units;
    report.certain = answer.certain;
    report.ruin = answer.ruin;
    report.errorBound = answer.errorBound;
    report.ruinBelow = answer.ruinBelow;
    return report;
}

RiskReportData FindRisk(RuinRunner& runner, const RoundOutcomes& round, std::int64_t hands,
                        double risk)
{
    const auto ruinAt = [&](std::int64_t units) {
        if (hands == 0) {
            const EverRuin e = runner.ever(units);
            return RuinAt{e.ruin, e.errorBound, e.certain};
        }
        const RuinResult r = runner.within(units);
        return RuinAt{r.ruin, r.errorBound, false};
    };
    return RiskReport(
        FindRiskBankroll(ruinAt, round.plays, risk, kMaxUnits, [&] { return runner.stopped(); }),
        risk);
}

int RunRuin(const RuinOptions& options, const CommandContext& c)
{
    for (const auto& [option, name] :
         {std::pair{&options.bet, "--bet"}, std::pair{&options.hands, "--hands"}})
        if (!option->given())
            throw UsageError{std::string("ruin needs ") + name};
    if (options.bankroll.given() + options.risk.given() + options.curve > 1)
        throw UsageError{"--bankroll, --risk and --curve exclude each other: --bankroll B gives "
                         "the chance of ruin, --risk P the bankroll for a chance"};
    if (!options.bankroll.given() && !options.risk.given() && !options.curve)
        throw UsageError{"ruin needs --bankroll, or --risk to find the bankroll"};
    const std::int64_t bet = ParseCents("--bet", options.bet.text, 1, 100 * kMaxDollars);
    const bool forever = options.hands.text == "inf";
    std::int64_t hands = 0;
    if (!forever) {
        try {
            hands = static_cast<std::int64_t>(
                ParseWholeNumber("--hands", options.hands.text, 1, kMaxRuinHands));
        } catch (const UsageError&) {
            throw UsageError{"--hands must be a whole number from 1 to " +
                             std::to_string(kMaxRuinHands) + ", or inf, not " +
                             Quote(options.hands.text)};
        }
    }
    const int plays =
        options.plays.given()
            ? static_cast<int>(ParseWholeNumber("--plays", options.plays.text, 1, kMaxPlays))
            : 1;
    if (hands * plays > kMaxRuinHands)
        throw UsageError{"--hands times --plays may be at most " + std::to_string(kMaxRuinHands)};
    const double risk = options.risk.given() ? ParseRisk(options.risk.text) : 0;
    std::int64_t bankroll = 0;
    if (options.bankroll.given()) {
        bankroll = ParseCents("--bankroll", options.bankroll.text, 1, 100 * kMaxDollars);
        if (bankroll < bet)
            throw UsageError{"--bankroll must be at least --bet"};
        if (bankroll / bet < plays)
            throw UsageError{"--bankroll must cover --bet on each of the --plays hands"};
        if (bankroll / bet > kMaxUnits)
            throw UsageError{"--bankroll may be at most " + std::to_string(kMaxUnits) + " bets"};
    }

    const auto start = std::chrono::steady_clock::now();
    const DrawTables tables(*c.family);
    RoundOutcomes round = SingleHandOutcomes(ComputeReturn(tables, c.pays, DefaultThreadCount()));
    if (plays > 1) {
        // Refused from one play's outcomes when the walk is sure to be too
        // wide: the rounds' own take long for large pays, and Ctrl+C ends them.
        const std::int64_t units = bankroll > 0 ? bankroll / bet : plays;
        if (RuinSurelyTooWide(round, plays, units,
                              forever ? std::numeric_limits<std::int64_t>::max() : hands))
            throw UsageError{TooWideMessage()};
        const StopOnInterrupt interrupt;
        try {
            round = PlaysOutcomes(tables, c.pays, plays, DefaultThreadCount(),
                                  &StopOnInterrupt::stopped());
        } catch (const RuinStopped&) {
            c.err << "quintara-odds: ruin stopped while the outcomes of a round were worked out\n";
            return kExitInterrupted;
        }
    }
    double returnValue = 1; // per unit bet: 1 + the mean net of a round per play
    for (std::size_t k = 0; k < round.net.size(); ++k)
        returnValue += round.chance[k] * round.net[k] / plays;
    RuinRunner runner(c, round, hands);
    if (options.curve) {
        if (forever || plays > 1)
            throw UsageError{"--curve needs --hands H of one play"};
        const RuinCurve curve = runner.curve();
        if (runner.stopped()) {
            c.err << "quintara-odds: ruin stopped before the curve was complete\n";
            return kExitInterrupted;
        }
        RuinCurveReportData report = BuildCurveReport(curve, bet);
        report.family = c.family;
        report.pays = c.pays;
        report.hands = hands;
        report.seconds = SecondsSince(start);
        Print(c, report);
        return kExitOk;
    }
    if (options.risk.given()) {
        // One play within the hands: every bankroll's ruin from one pass.
        RiskReportData report =
            plays == 1 && !forever
                ? RiskReport(RiskFromCurve(runner.curve(), risk, kMaxUnits), risk)
                : FindRisk(runner, round, hands, risk);
        if (runner.stopped()) {
            c.err << "quintara-odds: ruin stopped before the bankroll was found\n";
            return kExitInterrupted;
        }
        report.family = c.family;
        report.pays = c.pays;
        report.bet = bet;
        report.hands = hands;
        report.plays = plays;
        report.returnValue = returnValue;
        report.seconds = SecondsSince(start);
        Print(c, report);
        return kExitOk;
    }
    RuinReportData report;
    if (forever) {
        report = BuildRuinReport(c.pays, bankroll, bet, 0, {}, 0);
        report.ever = runner.ever(bankroll / bet);
    } else {
        report = BuildRuinReport(c.pays, bankroll, bet, hands, runner.within(bankroll / bet), 0);
        if (report.result.hands == 0) {
            c.err << "quintara-odds: ruin stopped before a hand was carried\n";
            return kExitInterrupted;
        }
    }
    report.family = c.family;
    report.plays = plays;
    report.returnValue = returnValue;
    report.seconds = SecondsSince(start);
    Print(c, report);
    return runner.stopped() ? kExitInterrupted : kExitOk;
}

} // namespace

void AddRuinCommand(CommandSet& commands)
{
    auto options = std::make_shared<RuinOptions>();
    CLI::App& ruin = commands.add(
        "ruin", "the risk of ruin of a bankroll over so many hands, exactly", kRuinHelp,
        [options](const CommandContext& c) { return RunRuin(*options, c); });
    AddValueOption(ruin, "--bankroll", options->bankroll, "B",
                   "the bankroll in dollars and cents, such as 200 or 187.50");
    AddValueOption(ruin, "--bet", options->bet, "U",
                   "the bet of each hand in dollars and cents, such as 5 or 1.25");
    AddValueOption(ruin, "--hands", options->hands, "H",
                   "1 to " + std::to_string(kMaxRuinHands) + " hands, or inf: for ever");
    AddValueOption(ruin, "--plays", options->plays, "N",
                   "N-play, 1 to 100: each hand bets U on each of N hands that share the deal");
    AddValueOption(ruin, "--risk", options->risk, "P",
                   "instead of --bankroll: the smallest bankroll whose ruin is at most P");
    ruin.add_flag("--curve", options->curve,
                  "instead of --bankroll: the chance of ruin for a range of bankrolls")
        ->disable_flag_override();
}

} // namespace odds
