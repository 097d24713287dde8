#include "serial/port_inventory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>
#include <QStringList>
#include <algorithm>
#include <utility>

#include "serial/com_names.h"

namespace fenmor {
namespace {

QString LinkPath(int n, const QString& programFolder) {
    return QDir(programFolder).filePath(QStringLiteral("dosdevices/com%1").arg(n));
}

// Two names of one device: equal as written, or leading to the same file.
bool SameDevice(const QString& a, const QString& b) {
    if (a == b) return true;
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

}  // namespace

QString DetectedPort::stablePath(const QString& byIdFolder) const {
    return byIdName.isEmpty() ? device : QDir(byIdFolder).filePath(byIdName);
}

QString DetectedPort::summary() const {
    QStringList parts;
    for (const QString& part : {description, manufacturer})
        if (!part.trimmed().isEmpty() && !parts.contains(part.trimmed())) parts << part.trimmed();
    if (!serialNumber.trimmed().isEmpty()) parts << QStringLiteral("S/N ") + serialNumber.trimmed();
    if (parts.isEmpty() && !byIdName.isEmpty()) parts << byIdName;
    return parts.join(QStringLiteral(", "));
}

SystemPortEnumerator::SystemPortEnumerator(QString byIdFolder)
    : byIdFolder_(std::move(byIdFolder)) {}

QList<DetectedPort> SystemPortEnumerator::ports() const {
    // The by-id names of the devices present, by the device they lead to.
    QHash<QString, QString> byId;
    const QDir folder(byIdFolder_);
    for (const QFileInfo& link :
         folder.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString device = link.canonicalFilePath();  // empty for a link to nothing
        if (!device.isEmpty() && !byId.contains(device)) byId.insert(device, link.fileName());
    }
    QList<DetectedPort> found;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        DetectedPort p{info.systemLocation(),
                       info.description(),
                       info.manufacturer(),
                       info.serialNumber(),
                       {}};
        const QString canonical = QFileInfo(p.device).canonicalFilePath();
        p.byIdName = byId.take(canonical.isEmpty() ? p.device : canonical);
        found << p;
    }
    for (auto it = byId.cbegin(); it != byId.cend(); ++it)
        found << DetectedPort{it.key(), {}, {}, {}, it.value()};
    std::sort(found.begin(), found.end(),
              [](const DetectedPort& a, const DetectedPort& b) { return a.device < b.device; });
    return found;
}

PortEntry DescribePortEntry(int n, const QString& programFolder,
                            const QList<DetectedPort>& detected) {
    PortEntry e;
    e.number = n;
    e.device = DeviceForPort(n, programFolder);
    const QFileInfo link(LinkPath(n, programFolder));
    e.assigned = link.isSymLink() || link.exists();
    if (link.isSymLink()) e.linkTarget = link.symLinkTarget();
    for (const DetectedPort& d : detected)
        if (SameDevice(e.device, d.device)) e.detected = d;
    e.present = e.detected.has_value() || (!e.device.isEmpty() && QFileInfo::exists(e.device));
    return e;
}

QString PortEntryDetail(const PortEntry& e) {
    if (e.danglingLink())
        return QStringLiteral("× %1（リンク先の装置がありません）").arg(e.linkTarget);
    QString text;
    if (e.detected) {
        text = QStringLiteral("● ") + e.device;
        const QString about = e.detected->summary();
        if (!about.isEmpty()) text += QStringLiteral("  ") + about;
    } else if (e.present) {
        text = QStringLiteral("○ ") + e.device;
    } else {
        text = QStringLiteral("－ %1（ありません）").arg(e.device);
    }
    if (e.assigned) text += QStringLiteral("  [割り当て]");
    return text;
}

bool AssignDevice(int n, const QString& programFolder, const QString& target, QString* error) {
    const QString link = LinkPath(n, programFolder);
    const QString folder = QFileInfo(link).absolutePath();
    if (!QDir().mkpath(folder)) {
        if (error) *error = QStringLiteral("フォルダ %1 を作れません。").arg(folder);
        return false;
    }
    const QFileInfo existing(link);
    if (existing.isSymLink()) {
        if (!QFile::remove(link)) {
            if (error) *error = QStringLiteral("リンク %1 を置き換えられません。").arg(link);
            return false;
        }
    } else if (existing.exists()) {
        if (error) *error = QStringLiteral("%1 はリンクではないので、置き換えません。").arg(link);
        return false;
    }
    if (!QFile::link(target, link)) {
        if (error) *error = QStringLiteral("リンク %1 → %2 を作れません。").arg(link, target);
        return false;
    }
    return true;
}

bool RemoveAssignment(int n, const QString& programFolder, QString* error) {
    const QString link = LinkPath(n, programFolder);
    const QFileInfo existing(link);
    if (!existing.isSymLink()) {
        if (!existing.exists()) return true;
        if (error) *error = QStringLiteral("%1 はリンクではないので、消しません。").arg(link);
        return false;
    }
    if (QFile::remove(link)) return true;
    if (error) *error = QStringLiteral("リンク %1 を消せません。").arg(link);
    return false;
}

}  // namespace fenmor
