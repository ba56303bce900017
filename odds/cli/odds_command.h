#pragma once

#include "exit_codes.h"

#include <ostream>
#include <string>
#include <vector>

namespace odds {

// The whole of quintara-odds, arguments without the program name. Reports go
// to out, errors as one line to err. progress draws a progress bar on err for
// long runs; pass true only when err is a terminal.
int RunOddsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   bool progress = false);

} // namespace odds
