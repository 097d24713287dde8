// The window program's command line: --help and --version, answered before any window opens.
#pragma once

#include <optional>

namespace fenmor {

// The exit status when the command line asked for help or the version (printed on stdout);
// nothing when the window should start.
[[nodiscard]] std::optional<int> AnswerCommandLine(int argc, char** argv);

}  // namespace fenmor
