// Where the program keeps its settings, journal and help.
#include "locations/app_locations.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace fenmor {
namespace {

// $HOME as it is set; without it Qt would take "/" as the home folder.
QString Home() {
    const QString home = qEnvironmentVariable("HOME");
    return QDir::isAbsolutePath(home) ? QDir::cleanPath(home) : QString();
}

QString XdgFolder(const char* variable, const QString& underHome) {
    const QString set = qEnvironmentVariable(variable);
    if (!set.isEmpty() && QDir::isAbsolutePath(set)) return QDir::cleanPath(set);
    const QString home = Home();
    return home.isEmpty() ? QString() : home + u'/' + underHome;
}

QString UnderFolder(const QString& folder, const QString& name) {
    return folder.isEmpty() ? QString() : folder + u'/' + name;
}

}  // namespace

AppLocations PortableLocations(const QString& folder) {
    AppLocations l;
    l.programFolder = QDir::cleanPath(QDir(folder).absolutePath());
    l.outputFolder = l.programFolder;
    l.journalFolder = l.programFolder + QStringLiteral("/journal");
    l.helpFolder = l.programFolder;
    l.dataFolder = l.programFolder;
    return l;
}

AppLocations ResolveLocations(const QString& executableFolder) {
    const QDir exe(executableFolder);
    const QString share = exe.absoluteFilePath(QStringLiteral("../share/fenmor"));
    if (exe.dirName() != QStringLiteral("bin") || !QFileInfo(share).isDir())
        return PortableLocations(executableFolder);
    AppLocations l;
    l.installed = true;
    l.programFolder = UnderFolder(XdgFolder("XDG_CONFIG_HOME", QStringLiteral(".config")),
                                  QStringLiteral("fenmor"));
    // The documents folder as xdg-user-dirs names it (~/Documents unless the user chose another).
    const QString documents =
        Home().isEmpty() ? QString()
                         : QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    l.outputFolder = UnderFolder(documents.isEmpty() ? QString() : QDir::cleanPath(documents),
                                 QStringLiteral("Fenmor"));
    l.journalFolder = UnderFolder(XdgFolder("XDG_STATE_HOME", QStringLiteral(".local/state")),
                                  QStringLiteral("fenmor/journal"));
    l.helpFolder = QDir::cleanPath(share);
    l.dataFolder = UnderFolder(XdgFolder("XDG_DATA_HOME", QStringLiteral(".local/share")),
                               QStringLiteral("fenmor"));
    return l;
}

QString ExtraSettingsPath(const QString& programFolder) {
    return QDir(programFolder).filePath(kExtraSettingsFileName);
}

}  // namespace fenmor
