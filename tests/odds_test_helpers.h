#pragma once

// What the analyzer's test programs share: brute-force oracles, a command
// run in process and its JSON, a random source that plays back one value.
#include "all_hands.h"
#include "card_code.h"
#include "deck.h"
#include "evaluator.h"
#include "exact_return.h"
#include "game_deal.h"
#include "game_deal_links.h"
#include "game_shuffle.h"
#include "hold_analysis.h"
#include "odds_command.h"
#include "odds_report.h"
#include "odds_support.h"
#include "pay_text.h"
#include "random.h"
#include "ruin.h"
#include "simulation.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>
#include <bit>
#include <functional>
#include <future>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include <csignal>
#include <unistd.h>

using namespace odds;

using RowTotals = std::array<std::uint64_t, odds::kClassCount>;
Q_DECLARE_METATYPE(RowTotals)

namespace {

using odds_test::Deal;
using odds_test::kFullRun;
using odds_test::Pays;
using odds_test::PlayedHand;
using odds_test::PlayHand;
using odds_test::Tables;

// The held cards of a hold, written as the command writes them.
inline QString Held(const std::array<int, 5>& dealt, unsigned hold)
{
    cards::CardString held;
    for (int i = 0; i < 5; ++i)
        if (hold & (1u << i))
            held.push_back(dealt[static_cast<std::size_t>(i)]);
    return QString::fromStdString(cards::FormatCards(held));
}

// Every five-card hand in one fixed order, classified by the game's evaluator.
inline const std::vector<std::uint8_t>& EveryHandClassified()
{
    static const std::vector<std::uint8_t> rows = [] {
        std::vector<std::uint8_t> out;
        out.reserve(kDealCount);
        std::string comment;
        hands::ForEachHand([&](const std::array<int, 5>& h) {
            const int pays = hands::EvaluateHand(h, comment);
            int row = 0;
            while (hands::kPayTable[static_cast<std::size_t>(row)].multiplier != pays)
                ++row;
            out.push_back(static_cast<std::uint8_t>(row));
        });
        return out;
    }();
    return rows;
}

// Every draw of every hold, by enumeration: each final hand of the 52 cards
// belongs to exactly the hold made of the dealt cards it contains.
inline HoldTable EnumerateDraws(const std::array<int, 5>& dealt)
{
    std::array<unsigned, 53> place{};
    for (int i = 0; i < 5; ++i)
        place[static_cast<std::size_t>(dealt[static_cast<std::size_t>(i)])] = 1u << i;
    const std::vector<std::uint8_t>& rows = EveryHandClassified();
    HoldTable table{};
    std::size_t n = 0;
    for (int a = 1; a <= 48; ++a)
        for (int b = a + 1; b <= 49; ++b)
            for (int c = b + 1; c <= 50; ++c) {
                const unsigned abc = place[a] | place[b] | place[c];
                for (int d = c + 1; d <= 51; ++d)
                    for (int e = d + 1; e <= 52; ++e)
                        ++table[abc | place[d] | place[e]][rows[n++]];
            }
    return table;
}

// The literal way: every hold, every draw from the 47 cards left, each final
// hand given to EvaluateHand.
inline HoldTable BruteForce(const std::array<int, 5>& dealt)
{
    std::vector<int> stub;
    for (int c = 1; c <= 52; ++c)
        if (std::find(dealt.begin(), dealt.end(), c) == dealt.end())
            stub.push_back(c);
    HoldTable table{};
    std::string comment;
    for (unsigned hold = 0; hold < kHoldCount; ++hold) {
        std::vector<int> open;
        for (int i = 0; i < 5; ++i)
            if (!(hold & (1u << i)))
                open.push_back(i);
        const int k = static_cast<int>(open.size());
        std::vector<int> pick(static_cast<std::size_t>(k));
        std::iota(pick.begin(), pick.end(), 0);
        while (true) {
            std::array<int, 5> final = dealt;
            for (int j = 0; j < k; ++j)
                final[static_cast<std::size_t>(open[static_cast<std::size_t>(j)])] =
                    stub[static_cast<std::size_t>(pick[static_cast<std::size_t>(j)])];
            const int pays = hands::EvaluateHand(final, comment);
            int row = 0;
            while (hands::kPayTable[static_cast<std::size_t>(row)].multiplier != pays)
                ++row;
            ++table[hold][row];
            // Next k-combination of the 47 stub positions.
            int j = k - 1;
            while (j >= 0 && pick[static_cast<std::size_t>(j)] == kStubSize - k + j)
                --j;
            if (j < 0)
                break;
            ++pick[static_cast<std::size_t>(j)];
            for (int m = j + 1; m < k; ++m)
                pick[static_cast<std::size_t>(m)] = pick[static_cast<std::size_t>(m - 1)] + 1;
        }
    }
    return table;
}

inline std::array<int, 5> RandomDeal(std::mt19937_64& gen)
{
    std::array<int, 52> deck{};
    std::iota(deck.begin(), deck.end(), 1);
    std::array<int, 5> dealt{};
    for (int i = 0; i < 5; ++i) {
        std::uniform_int_distribution<int> pick(i, 51);
        std::swap(deck[static_cast<std::size_t>(i)], deck[static_cast<std::size_t>(pick(gen))]);
        dealt[static_cast<std::size_t>(i)] = deck[static_cast<std::size_t>(i)];
    }
    return dealt;
}

struct Run
{
    int code = -1;
    QString out;
    QString err;
};

inline Run RunCommand(const QStringList& args)
{
    std::vector<std::string> argv;
    for (const QString& a : args)
        argv.push_back(a.toStdString());
    std::ostringstream out;
    std::ostringstream err;
    Run run;
    run.code = RunOddsCommand(argv, out, err);
    run.out = QString::fromStdString(out.str());
    run.err = QString::fromStdString(err.str());
    return run;
}

inline QJsonObject JsonOf(const Run& run)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        qWarning() << "JSON error" << error.errorString() << "at" << error.offset;
    return doc.object();
}

// Plays back one cut value over and over, as the shuffle asks for them.
class FixedRandom final : public cards::Random
{
  public:
    explicit FixedRandom(float value) : m_value(value) {}
    float next() override
    {
        // The first cut of a shuffle rotates; every other pair is (0, 0), a no-op.
        const float v = (m_count++ % (2 * cards::kCardCount)) == 1 ? m_value : 0.0f;
        return v;
    }
    void reseed() override {}

  private:
    float m_value;
    int m_count = 0;
};

} // namespace
