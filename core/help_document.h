// The help document "Fenmor.txt" beside the program, shown line by line in the data list.
#pragma once

#include <QString>

namespace fenmor {

struct Session;

inline const QString kHelpFileName = QStringLiteral("Fenmor.txt");

// Replaces the data list's lines by the document's; a file that cannot be read is reported.
void ShowHelpDocument(Session& s, const QString& programFolder);

}  // namespace fenmor
