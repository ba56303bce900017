#pragma once

// What the command files of quintara-odds share; the command line's own.
#include "command_line.h"
#include "odds_report.h"
#include "progress_bar.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <ostream>

namespace odds {

// A report in the form the command line asked for.
template <class Report> void Print(const CommandContext& c, const Report& report)
{
    c.out << (c.json ? RenderJson(report) : RenderText(report));
}

constexpr std::uint64_t kMaxHands = 1000000000000ULL;
constexpr int kMaxPlays = 100;

void AddHandCommand(CommandSet& commands);
void AddReturnCommand(CommandSet& commands);
void AddSimulateCommand(CommandSet& commands);
void AddRuinCommand(CommandSet& commands);
void AddGamesCommand(CommandSet& commands);
void AddTablesCommand(CommandSet& commands);

} // namespace odds
