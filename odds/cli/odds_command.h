#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace odds {

// Exit codes of the command.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;       // the machine let us down (threads, memory)
constexpr int kExitUsage = 2;         // bad input: one line on err says what
constexpr int kExitInterrupted = 130; // Ctrl+C: the figures so far were printed

// The whole of quintara-odds, arguments without the program name. Reports go
// to out, errors as one line to err. progress draws a progress bar on err for
// long runs; pass true only when err is a terminal.
int RunOddsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   bool progress = false);

} // namespace odds
