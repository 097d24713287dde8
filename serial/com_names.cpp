#include "serial/com_names.h"

#include <QDir>
#include <QFileInfo>

namespace fenmor {

QString DefaultDeviceForPort(int n) {
    if (n < 1 || n > 16) return {};
    static const char* const kFamilies[] = {"/dev/ttyS", "/dev/ttyUSB", "/dev/ttyACM",
                                            "/dev/ircomm"};
    return QString::fromLatin1(kFamilies[(n - 1) / 4]) + QString::number((n - 1) % 4);
}

QString DeviceForPort(int n, const QString& programFolder) {
    if (n < 1 || n > 16) return {};
    const QFileInfo entry(QDir(programFolder).filePath(QStringLiteral("dosdevices/com%1").arg(n)));
    if (entry.isSymLink()) {
        // The device itself rather than the link, so that the lock file the serial port takes
        // bears the device's name and other programs using that device see it.
        return entry.exists() ? entry.canonicalFilePath() : entry.symLinkTarget();
    }
    if (entry.exists()) return entry.absoluteFilePath();
    return DefaultDeviceForPort(n);
}

}  // namespace fenmor
