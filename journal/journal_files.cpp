// The journal's files and their states, kept in the name so that a state change is one rename.
#include "journal/journal_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
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
    QStringLiteral(R"(^(\d{8}-\d{6})(?:-(\d+))?(?:_(\d+))?\.(open|kept|done)$)"));
const QString kStartFormat = QStringLiteral("yyyyMMdd-HHmmss");

QString ErrorText(const QString& path, int error) {
    return path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
}

// "yyyyMMdd-HHmmss" read field by field: many times faster than a format string, which
// matters in a folder of thousands of journals.
QDateTime StartOf(QStringView digits) {
    const auto n = [digits](qsizetype at, qsizetype size) { return digits.mid(at, size).toInt(); };
    const QDate date(n(0, 4), n(4, 2), n(6, 2));
    const QTime time(n(9, 2), n(11, 2), n(13, 2));
    return date.isValid() && time.isValid() ? QDateTime(date, time) : QDateTime();
}

bool IsSymLink(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

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

bool IsJournalName(const QString& fileName) {
    const QRegularExpressionMatch m = kJournalName.match(fileName);
    return m.hasMatch() && StartOf(m.capturedView(1)).isValid();
}

QString JournalStem(const QDateTime& start, qint64 sequence) {
    return start.toString(kStartFormat) + u'_' +
           QStringLiteral("%1").arg(sequence, 6, 10, QLatin1Char('0'));
}

qint64 NextJournalSequence(const QString& folder) {
    // Names only, no file's details: this runs when a transfer's first block has arrived.
    // read from "…_NNNNNN.state" by hand (no pattern match) for the same reason.
    qint64 last = 0;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden); it.hasNext();) {
        const QString name = it.nextFileInfo().fileName();
        const qsizetype dot = name.lastIndexOf(u'.');
        const qsizetype mark = name.lastIndexOf(u'_', dot);
        if (mark < 0 || !StateOf(name.mid(dot + 1))) continue;
        bool ok = false;
        const qint64 n = QStringView(name).mid(mark + 1, dot - mark - 1).toLongLong(&ok);
        if (ok) last = std::max(last, n);
    }
    return last + 1;
}

QString WithState(const QString& path, JournalState state) {
    const qsizetype dot = path.lastIndexOf(u'.');
    return (dot > path.lastIndexOf(u'/') ? path.left(dot) : path) + StateSuffix(state);
}

std::vector<JournalEntry> ListJournal(const QString& folder) {
    struct Listed {
        JournalEntry entry;
        int sameSecond;  // the "-n" of an older copy's name
    };
    std::vector<Listed> listed;
    if (folder.isEmpty() || IsSymLink(folder)) return {};
    // Unsorted (the order is set below): a sort by name costs more than the rest together.
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden); it.hasNext();) {
        const QFileInfo f = it.nextFileInfo();
        const QRegularExpressionMatch m = kJournalName.match(f.fileName());
        if (!m.hasMatch()) continue;
        const QDateTime start = StartOf(m.capturedView(1));
        if (!start.isValid()) continue;
        listed.push_back({{f.absoluteFilePath(), start, m.captured(3).toLongLong(), f.size(),
                           *StateOf(m.captured(4))},
                          m.captured(2).isEmpty() ? 1 : m.captured(2).toInt()});
    }
    // By the number written; files of older copies (no number) first, by start and "-n".
    std::sort(listed.begin(), listed.end(), [](const Listed& a, const Listed& b) {
        if (a.entry.sequence != b.entry.sequence) return a.entry.sequence < b.entry.sequence;
        if (a.entry.start != b.entry.start) return a.entry.start < b.entry.start;
        return a.sameSecond < b.sameSecond;
    });
    std::vector<JournalEntry> entries;
    for (Listed& l : listed) entries.push_back(std::move(l.entry));
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

JournalLock::JournalLock(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    fd_ = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd_ < 0) return;
    struct stat locked {};
    struct stat named {};
    // Locked, and still under the name: another copy may have renamed it meanwhile.
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd_, &locked) != 0 ||
        ::stat(name.constData(), &named) != 0 || locked.st_ino != named.st_ino ||
        locked.st_dev != named.st_dev) {
        ::close(fd_);
        fd_ = -1;
    }
}

JournalLock::~JournalLock() {
    if (fd_ >= 0) ::close(fd_);
}

void RemoveOldDoneJournals(const QString& folder, int keep) {
    std::vector<JournalEntry> done;
    for (JournalEntry& e : ListJournal(folder)) {
        if (e.state != JournalState::Done) continue;
        if (e.size == 0)
            QFile::remove(e.path);
        else
            done.push_back(std::move(e));
    }
    const qsizetype excess = static_cast<qsizetype>(done.size()) - std::max(keep, 0);
    for (qsizetype i = 0; i < excess; ++i) QFile::remove(done[static_cast<size_t>(i)].path);
}

QString MakePrivateFolder(const QString& folder) {
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder))
        return QStringLiteral("受信ジャーナルのフォルダーがありません（%1）")
            .arg(folder.isEmpty() ? QStringLiteral("ホームフォルダーが分かりません") : folder);
    const QString clean = QDir::cleanPath(folder);
    if (IsSymLink(clean)) return ErrorText(clean, ELOOP);
    // Each missing folder is made 0700, so that no moment exists in which another user may
    // look in; parents that exist keep their permissions.
    QStringList missing;
    for (QString f = clean; !QFileInfo::exists(f) && f != u"/"; f = QFileInfo(f).absolutePath())
        missing.prepend(f);
    for (const QString& f : missing)
        if (::mkdir(QFile::encodeName(f).constData(), 0700) != 0 && errno != EEXIST)
            return ErrorText(f, errno);
    // The mode is set through a descriptor of the folder itself, never through a link.
    const int fd = ::open(QFile::encodeName(clean).constData(),
                          O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return ErrorText(clean, errno);
    const int error = ::fchmod(fd, 0700) == 0 ? 0 : errno;
    ::close(fd);
    return error == 0 ? QString() : ErrorText(clean, error);
}

}  // namespace fenmor
