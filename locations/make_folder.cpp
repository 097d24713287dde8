// Makes a folder and the folders above it that are missing, with the given permissions.
#include "locations/make_folder.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace fenmor {

int MakeFolder(const QString& folder, mode_t mode) {
    if (!QDir::isAbsolutePath(folder)) return ENOENT;
    QString at;
    for (const QString& part : QDir::cleanPath(folder).split(u'/', Qt::SkipEmptyParts)) {
        at += u'/' + part;
        if (::mkdir(QFile::encodeName(at).constData(), mode) != 0 && errno != EEXIST) return errno;
    }
    return QFileInfo(folder).isDir() ? 0 : ENOTDIR;
}

QString SystemErrorText(int number) { return QString::fromLocal8Bit(std::strerror(number)); }

}  // namespace fenmor
