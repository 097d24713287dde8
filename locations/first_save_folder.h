// The first start's output folder of an installed copy is made when a file is first saved into
// it; no other missing folder is ever made for a save.
#pragma once

#include <QString>

namespace fenmor {

// The one folder that a save may make (empty: none).
void SetFolderMadeOnFirstSave(const QString& folder);

// Whether folder is that folder, which a missing output folder at start-up may be.
[[nodiscard]] bool IsFolderMadeOnFirstSave(const QString& folder);

// Makes the folder of filePath when it is that folder and missing. 0 when nothing had to be
// made or it was made, otherwise the system's error number and *error says it for the user.
[[nodiscard]] int PrepareFolderOf(const QString& filePath, QString* error);

}  // namespace fenmor
