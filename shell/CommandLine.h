#pragma once

#include <optional>
#include <ostream>

namespace vantle {

// The one-line usage of the vantle program.
const char* UsageText();

// Answers the command line when it asks for no window: --help and --version print on `out`
// and give 0; an unknown option or argument prints the usage on `err` and gives 2. Nothing
// when the window should start: Qt's own options and everything after "--webEngineArgs" are
// left in place for Qt to read.
std::optional<int> AnswerCommandLine(int argc, const char* const* argv, std::ostream& out,
                                     std::ostream& err);

}  // namespace vantle
