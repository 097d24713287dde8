// Where the program keeps its settings, journal and help, for an installed copy and for a
// portable one (a program started from a folder of its own).
#pragma once

#include <QString>

namespace fenmor {

struct AppLocations {
    bool installed = false;  // bin/ beside share/fenmor/: the per-user folders below are used
    QString programFolder;   // "Fenmor.CFG", the second settings file and dosdevices/
    QString outputFolder;    // a first start's output folder (may not exist yet)
    QString journalFolder;   // the receive journal (may not exist yet)
    QString helpFolder;      // "Fenmor.txt"
    QString dataFolder;      // what the program keeps for itself: what it sent to a server
};

// The locations for a program whose executable lies in executableFolder. An installed copy
// whose user has no known home folder (HOME not set) gets empty per-user folders.
[[nodiscard]] AppLocations ResolveLocations(const QString& executableFolder);
// Everything in one folder, as a copy started from a folder of its own keeps it.
[[nodiscard]] AppLocations PortableLocations(const QString& folder);

// The second settings file beside "Fenmor.CFG": what the 32 lines have no place for (INI, UTF-8).
inline const QString kExtraSettingsFileName = QStringLiteral("Fenmor.ini");
[[nodiscard]] QString ExtraSettingsPath(const QString& programFolder);

}  // namespace fenmor
