// Writes odds/deal/game_deal_links.h: how often each card of the game's shuffled
// deck is followed by its successor, counted on seeded decks so that a rerun
// with the same arguments writes the same file.
//   measure-deal DECKS SEED > odds/deal/game_deal_links.h
#include "game_deal.h"
#include "random.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

bool ParseNumber(const char* text, std::uint64_t& value)
{
    const char* end = text + std::strlen(text);
    const auto [at, error] = std::from_chars(text, end, value);
    return error == std::errc{} && at == end;
}

void PrintArray(const char* name, const std::array<std::uint64_t, 9>& values)
{
    std::printf("inline constexpr std::array<std::uint64_t, 9> %s = {\n", name);
    // Five to a line, as clang-format lays them out.
    for (std::size_t i = 0; i < values.size(); ++i)
        std::printf("%s%lluULL,%s", i % 5 == 0 ? "    " : " ",
                    static_cast<unsigned long long>(values[i]),
                    i % 5 == 4 || i + 1 == values.size() ? "\n" : "");
    std::printf("};\n");
}

} // namespace

int main(int argc, char** argv)
{
    std::uint64_t decks = 0;
    std::uint64_t seed = 0;
    if (argc != 3 || !ParseNumber(argv[1], decks) || !ParseNumber(argv[2], seed) || decks == 0) {
        std::fprintf(stderr, "usage: measure-deal DECKS SEED > odds/deal/game_deal_links.h\n");
        return 2;
    }
    cards::SeededRandom random(seed);
    const odds::LinkMeasure measure = odds::MeasureLinks(random, decks);
    std::printf("// Written by tools/measure_deal.cpp: measure-deal %llu %llu\n"
                "// Do not edit; rerun it when the shuffle changes.\n"
                "// For k = 0..8: of the decks whose card at place k + 2 could be the\n"
                "// successor of the card at place k + 1 (it is not among places 1..k + 1),\n"
                "// how many, and how many had it there.\n"
                "#pragma once\n\n#include <array>\n#include <cstdint>\n\nnamespace odds {\n\n"
                "inline constexpr std::uint64_t kMeasuredDecks = %lluULL;\n",
                static_cast<unsigned long long>(decks), static_cast<unsigned long long>(seed),
                static_cast<unsigned long long>(decks));
    PrintArray("kMeasuredFree", measure.free);
    PrintArray("kMeasuredNext", measure.next);
    std::printf("\n} // namespace odds\n");
    return 0;
}
