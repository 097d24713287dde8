// Texts and numbers for failed file operations, in the words the user reads.
#pragma once

#include <QString>

namespace fenmor {

// Error numbers of file failures, as the messages show them.
enum FileErrorNumber {
    kFileNotFound = 53,
    kPermissionDenied = 70,
    kPathFileAccess = 75,
    kPathNotFound = 76,
    kDiskFull = 61,
};

// The number for a failed open or write of path, from the system's error code.
[[nodiscard]] int FileErrorNumberOf(int errnoValue, const QString& path);
// The description of such a failure, naming the file.
[[nodiscard]] QString FileErrorText(int errnoValue, const QString& path);
// A file that was written and closed but is no longer where it was written.
[[nodiscard]] QString VanishedFileText(const QString& path);

}  // namespace fenmor
