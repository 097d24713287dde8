// The window program's command line: --help and --version, answered before any window opens.
#include "app/command_line.h"

#include <cstdio>
#include <cstring>

namespace fenmor {
namespace {

// The man page fenmor(1) says the same.
constexpr const char* kHelp =
    "Usage: fenmor [--help] [--version]\n"
    "Receives what a Zaurus PDA of the PI or MI series sends over a serial cable or an IrDA\n"
    "port and saves it as files: separated values, text documents, RTF and raw data.\n"
    "\n"
    "Options:\n"
    "  -h, --help     Displays this help.\n"
    "  -v, --version  Displays version information.\n"
    "\n"
    "Files of an installed copy (bin/ beside share/fenmor/):\n"
    "  $XDG_CONFIG_HOME/fenmor/Fenmor.CFG   the options and the window's place\n"
    "                                       (default ~/.config/fenmor/)\n"
    "  $XDG_CONFIG_HOME/fenmor/Fenmor.ini   further settings\n"
    "  $XDG_CONFIG_HOME/fenmor/dosdevices/comN\n"
    "                                       the device that the port entry COMn opens\n"
    "  DOCUMENTS/Fenmor/                    the output folder of a first start\n"
    "                                       (xdg-user-dir DOCUMENTS), made at the first save\n"
    "  PREFIX/share/fenmor/Fenmor.txt       the help document\n"
    "A copy started from a folder of its own (a build folder, an unpacked copy) keeps its\n"
    "files in that folder, and saves there until another output folder is chosen.\n";

}  // namespace

std::optional<int> AnswerCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (!std::strcmp(a, "-h") || !std::strcmp(a, "--help") || !std::strcmp(a, "-help")) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (!std::strcmp(a, "-v") || !std::strcmp(a, "--version")) {
            std::printf("fenmor %s\n", FENMOR_VERSION);
            return 0;
        }
    }
    return std::nullopt;
}

}  // namespace fenmor
