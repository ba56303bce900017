#pragma once

namespace odds {

// Exit codes of the command.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;       // the machine let us down (threads, memory)
constexpr int kExitUsage = 2;         // bad input: one line on err says what
constexpr int kExitInterrupted = 130; // Ctrl+C: the figures so far were printed

} // namespace odds
