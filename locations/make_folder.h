// Makes a folder and the folders above it that are missing, with the given permissions.
#pragma once

#include <sys/types.h>

#include <QString>

namespace fenmor {

// 0 when the folder exists afterwards, otherwise the system's error number.
[[nodiscard]] int MakeFolder(const QString& folder, mode_t mode);
// The system's description of an error number, in the user's language where it has one.
[[nodiscard]] QString SystemErrorText(int number);

}  // namespace fenmor
