// Where the program keeps its settings, journal and help.
#include "locations/app_locations.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace fenmor {
namespace {

QString XdgFolder(const char* variable, const QString& underHome) {
    const QString set = qEnvironmentVariable(variable);
    if (!set.isEmpty() && QDir::isAbsolutePath(set)) return QDir::cleanPath(set);
    return QDir::cleanPath(QDir::homePath() + u'/' + underHome);
}

}  // namespace

AppLocations ResolveLocations(const QString& executableFolder) {
    AppLocations l;
    const QDir exe(executableFolder);
    const QString share = exe.absoluteFilePath(QStringLiteral("../share/fenmor"));
    l.installed = exe.dirName() == QStringLiteral("bin") && QFileInfo(share).isDir();
    if (!l.installed) {
        l.programFolder = QDir::cleanPath(exe.absolutePath());
        l.outputFolder = l.programFolder;
        l.journalFolder = l.programFolder + QStringLiteral("/journal");
        l.helpFolder = l.programFolder;
        return l;
    }
    l.programFolder = XdgFolder("XDG_CONFIG_HOME", QStringLiteral(".config")) + QStringLiteral("/fenmor");
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) documents = QDir::homePath();
    l.outputFolder = QDir::cleanPath(documents) + QStringLiteral("/Fenmor");
    l.journalFolder =
        XdgFolder("XDG_STATE_HOME", QStringLiteral(".local/state")) + QStringLiteral("/fenmor/journal");
    l.helpFolder = QDir::cleanPath(share);
    return l;
}

QString ExtraSettingsPath(const QString& programFolder) {
    return QDir(programFolder).filePath(kExtraSettingsFileName);
}

}  // namespace fenmor
