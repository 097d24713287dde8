#include "files/file_errors.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace fenmor {

int FileErrorNumberOf(int e, const QString& path) {
    switch (e) {
        case ENOENT:
        case ENOTDIR:
            return QFileInfo(path).absoluteDir().exists() ? kFileNotFound : kPathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return kPermissionDenied;
        case ENOSPC:
        case EDQUOT:
            return kDiskFull;
        case ENAMETOOLONG:
        case EINVAL:
        case EILSEQ:
            return kFileNotFound;
        default:
            return kPathFileAccess;
    }
}

QString FileErrorText(int e, const QString& path) {
    QString what;
    switch (FileErrorNumberOf(e, path)) {
        case kPathNotFound: what = QStringLiteral("パスが見つかりません。"); break;
        case kFileNotFound: what = QStringLiteral("ファイル名が正しくありません。"); break;
        case kPermissionDenied: what = QStringLiteral("書き込みできません。"); break;
        case kDiskFull: what = QStringLiteral("ディスクの空き容量が不足しています。"); break;
        default: what = QStringLiteral("パス名が無効です。"); break;
    }
    return what + QStringLiteral("\r\n") + QDir::toNativeSeparators(path) + QStringLiteral(" (") +
           QString::fromLocal8Bit(std::strerror(e)) + QStringLiteral(")");
}

}  // namespace fenmor
