#include "pay_tables.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <numeric>

namespace odds {
namespace {

struct Entry
{
    std::string_view name;
    std::string_view family;
    std::initializer_list<std::int64_t> topDown;
};

// The tables players meet most, under the names their references use.
const std::initializer_list<Entry> kEntries = {
    {"The game's table", "jacks", {500, 100, 50, 10, 7, 5, 3, 2, 1}},
    {"9/6 Jacks or Better", "jacks", {800, 50, 25, 9, 6, 4, 3, 2, 1}},
    {"9/5 Jacks or Better", "jacks", {800, 50, 25, 9, 5, 4, 3, 2, 1}},
    {"8/6 Jacks or Better", "jacks", {800, 50, 25, 8, 6, 4, 3, 2, 1}},
    {"8/5 Jacks or Better", "jacks", {800, 50, 25, 8, 5, 4, 3, 2, 1}},
    {"7/5 Jacks or Better", "jacks", {800, 50, 25, 7, 5, 4, 3, 2, 1}},
    {"6/5 Jacks or Better", "jacks", {800, 50, 25, 6, 5, 4, 3, 2, 1}},
    {"9/6 Bonus Poker Deluxe", "jacks", {800, 50, 80, 9, 6, 4, 3, 1, 1}},
    {"8/6 Bonus Poker Deluxe", "jacks", {800, 50, 80, 8, 6, 4, 3, 1, 1}},
    {"8/5 Bonus Poker", "bonus", {800, 50, 80, 40, 25, 8, 5, 4, 3, 2, 1}},
    {"7/5 Bonus Poker", "bonus", {800, 50, 80, 40, 25, 7, 5, 4, 3, 2, 1}},
    {"6/5 Bonus Poker", "bonus", {800, 50, 80, 40, 25, 6, 5, 4, 3, 2, 1}},
    {"10/7 Double Bonus", "bonus", {800, 50, 160, 80, 50, 10, 7, 5, 3, 1, 1}},
    {"10/6 Double Bonus", "bonus", {800, 50, 160, 80, 50, 10, 6, 5, 3, 1, 1}},
    {"9/7 Double Bonus", "bonus", {800, 50, 160, 80, 50, 9, 7, 5, 3, 1, 1}},
    {"9/6 Double Bonus", "bonus", {800, 50, 160, 80, 50, 9, 6, 5, 3, 1, 1}},
    {"10/6 Double Double Bonus",
     "double-double",
     {800, 50, 400, 160, 160, 80, 50, 10, 6, 4, 3, 1, 1}},
    {"9/6 Double Double Bonus",
     "double-double",
     {800, 50, 400, 160, 160, 80, 50, 9, 6, 4, 3, 1, 1}},
    {"9/5 Double Double Bonus",
     "double-double",
     {800, 50, 400, 160, 160, 80, 50, 9, 5, 4, 3, 1, 1}},
    {"8/5 Double Double Bonus",
     "double-double",
     {800, 50, 400, 160, 160, 80, 50, 8, 5, 4, 3, 1, 1}},
    {"9/7 Triple Double Bonus",
     "double-double",
     {800, 50, 800, 400, 160, 80, 50, 9, 7, 4, 2, 1, 1}},
    {"9/6 Triple Double Bonus",
     "double-double",
     {800, 50, 800, 400, 160, 80, 50, 9, 6, 4, 2, 1, 1}},
    {"8/5 Aces and Faces", "aces-faces", {800, 50, 80, 40, 25, 8, 5, 4, 3, 2, 1}},
    {"7/5 Aces and Faces", "aces-faces", {800, 50, 80, 40, 25, 7, 5, 4, 3, 2, 1}},
    {"6/5 Aces and Faces", "aces-faces", {800, 50, 80, 40, 25, 6, 5, 4, 3, 2, 1}},
    {"Full Pay Deuces Wild", "deuces", {800, 200, 25, 15, 9, 5, 3, 2, 2, 1}},
    {"NSU Deuces Wild", "deuces", {800, 200, 25, 16, 10, 4, 4, 3, 2, 1}},
    {"Illinois Deuces Wild", "deuces", {800, 200, 25, 15, 9, 4, 4, 3, 2, 1}},
    {"Kings or Better Joker Poker 20/7", "joker", {800, 200, 100, 50, 20, 7, 5, 3, 2, 1, 1}},
    {"Kings or Better Joker Poker 18/7", "joker", {800, 200, 100, 50, 18, 7, 5, 3, 2, 1, 1}},
    {"Kings or Better Joker Poker 17/7", "joker", {800, 200, 100, 50, 17, 7, 5, 3, 2, 1, 1}},
    {"Two Pair Joker Poker 20/10/6", "joker-two-pair", {800, 100, 50, 50, 20, 10, 6, 5, 2, 1}},
};

std::vector<NamedTable> MakeTables()
{
    std::vector<NamedTable> all;
    for (const Entry& e : kEntries) {
        NamedTable t;
        t.name = e.name;
        t.family = FindFamily(e.family);
        std::size_t k = 0;
        for (const std::int64_t pay : e.topDown)
            t.pays[static_cast<std::size_t>(t.family->payOrder[k++])] = pay;
        all.push_back(t);
    }
    return all;
}

std::string Normal(std::string_view name)
{
    std::string out;
    for (const char c : name)
        if (std::isalnum(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::size_t EditDistance(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), std::size_t{0});
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t up = row[j];
            row[j] =
                std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = up;
        }
    }
    return row[b.size()];
}

} // namespace

const std::vector<NamedTable>& NamedTables()
{
    static const std::vector<NamedTable> all = MakeTables();
    return all;
}

const NamedTable* FindTable(std::string_view name)
{
    const std::string key = Normal(name);
    for (const NamedTable& t : NamedTables())
        if (Normal(t.name) == key)
            return &t;
    return nullptr;
}

std::vector<std::string_view> ClosestTables(std::string_view name, std::size_t count)
{
    const std::string key = Normal(name);
    // Names that hold the words given come first, then the fewest edits away.
    std::vector<std::pair<std::size_t, std::string_view>> scored;
    for (const NamedTable& t : NamedTables()) {
        const std::string normal = Normal(t.name);
        const bool holds = !key.empty() && normal.find(key) != std::string::npos;
        scored.emplace_back((holds ? 0 : 1000) + EditDistance(key, normal), t.name);
    }
    std::stable_sort(scored.begin(), scored.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string_view> names;
    for (std::size_t i = 0; i < std::min(count, scored.size()); ++i)
        names.push_back(scored[i].second);
    return names;
}

} // namespace odds
