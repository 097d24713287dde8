#include "core/file_errors.h"

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
        case EFBIG:
            return kDiskFull;
        case ENAMETOOLONG:
        case EINVAL:
        case EILSEQ:
            return kFileNotFound;
        default:
            return kPathFileAccess;
    }
}

namespace {

QString Description(int e, const QString& path) {
    if (e == EFBIG) return QStringLiteral("ファイルが大きすぎて書き込めません。");  // a size limit
    switch (FileErrorNumberOf(e, path)) {
        case kPathNotFound:
            return QStringLiteral("パスが見つかりません。");
        case kFileNotFound:
            return QStringLiteral("ファイル名が正しくありません。");
        case kPermissionDenied:
            return QStringLiteral("書き込みできません。");
        case kDiskFull:
            return QStringLiteral("ディスクの空き容量が不足しています。");
        default:
            return QStringLiteral("パス名が無効です。");
    }
}

}  // namespace

QString FileErrorText(int e, const QString& path) {
    return Description(e, path) + QStringLiteral("\r\n") + QDir::toNativeSeparators(path) +
           QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(e)) + QStringLiteral(")");
}

QString VanishedFileText(const QString& path) {
    return QStringLiteral(
               "書き込んだファイルが見つかりません（フォルダーが削除または移動されました）。"
               "データは保存されていません。\r\n") +
           QDir::toNativeSeparators(path);
}

}  // namespace fenmor
