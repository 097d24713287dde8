// The journal's files and their states, kept in the name so that a state change is one rename.
#include "journal/journal_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

namespace fenmor {
namespace {

const QRegularExpression kJournalName(
    QStringLiteral(R"(^(\d{8}-\d{6})(-\d+)?\.(open|kept|done)$)"));

std::optional<JournalState> StateOf(const QString& suffix) {
    if (suffix == u"open") return JournalState::Open;
    if (suffix == u"kept") return JournalState::Kept;
    if (suffix == u"done") return JournalState::Done;
    return std::nullopt;
}

}  // namespace

QString StateSuffix(JournalState state) {
    switch (state) {
        case JournalState::Open:
            return QStringLiteral(".open");
        case JournalState::Kept:
            return QStringLiteral(".kept");
        case JournalState::Done:
            return QStringLiteral(".done");
    }
    return {};
}

bool IsJournalName(const QString& fileName) { return kJournalName.match(fileName).hasMatch(); }

QString JournalStem(const QDateTime& start) {
    return start.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

QString WithState(const QString& path, JournalState state) {
    const qsizetype dot = path.lastIndexOf(u'.');
    return (dot > path.lastIndexOf(u'/') ? path.left(dot) : path) + StateSuffix(state);
}

std::vector<JournalEntry> ListJournal(const QString& folder) {
    std::vector<JournalEntry> entries;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QFileInfo& f : files) {
        const QRegularExpressionMatch m = kJournalName.match(f.fileName());
        if (!m.hasMatch()) continue;
        const QDateTime start =
            QDateTime::fromString(m.captured(1), QStringLiteral("yyyyMMdd-HHmmss"));
        entries.push_back({f.absoluteFilePath(), start, f.size(), *StateOf(m.captured(3))});
    }
    // By start time, then by the number of a second transfer in the same second.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const JournalEntry& a, const JournalEntry& b) {
                         if (a.start != b.start) return a.start < b.start;
                         return QFileInfo(a.path).completeBaseName().size() <
                                QFileInfo(b.path).completeBaseName().size();
                     });
    return entries;
}

QString MarkJournal(const QString& path, JournalState state) {
    const QString target = WithState(path, state);
    if (target == path) return path;
    if (QFileInfo::exists(target) ||
        std::rename(QFile::encodeName(path), QFile::encodeName(target)) != 0)
        return {};
    return target;
}

bool JournalInUse(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool locked = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return locked;
}

void RemoveOldDoneJournals(const QString& folder, int keep) {
    std::vector<JournalEntry> done;
    for (JournalEntry& e : ListJournal(folder))
        if (e.state == JournalState::Done) done.push_back(std::move(e));
    const qsizetype excess = static_cast<qsizetype>(done.size()) - std::max(keep, 0);
    for (qsizetype i = 0; i < excess; ++i) QFile::remove(done[static_cast<size_t>(i)].path);
}

QString MakePrivateFolder(const QString& folder) {
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    // Each missing folder is made 0700, so that no moment exists in which another user may
    // look in; parents that exist keep their permissions.
    QStringList missing;
    for (QString f = clean; !QFileInfo::exists(f) && f != u"/"; f = QFileInfo(f).absolutePath())
        missing.prepend(f);
    for (const QString& f : missing)
        if (::mkdir(QFile::encodeName(f).constData(), 0700) != 0 && errno != EEXIST)
            return f + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    if (!QFileInfo(clean).isDir())
        return clean + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(ENOTDIR));
    if (::chmod(QFile::encodeName(clean).constData(), 0700) != 0)
        return clean + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

}  // namespace fenmor
