// Each block is written to the file at once (a kill loses nothing written, the page cache
// keeps it); the file is synced once a second while data arrives and at the end of the
// transfer, on a thread of its own, so that a power loss costs at most the last second and
// the window's thread never waits for the disk.
#include "journal/receive_journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSettings>
#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

#include "core/services.h"
#include "journal/journal_files.h"

namespace fenmor {
namespace {

QString ErrorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

bool WriteAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// A rename is durable once the folder that holds it is synced.
bool SyncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// Makes a converted file's data durable; its name is made durable with its folder.
bool SyncFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// Makes every converted file durable, each folder synced once: false if any is not on disk.
bool SyncConverted(const QStringList& files) {
    bool all = true;
    QSet<QString> folders;
    for (const QString& f : files) {
        all = SyncFile(f) && all;
        folders.insert(QFileInfo(f).absolutePath());
    }
    for (const QString& folder : folders) all = SyncFolder(folder) && all;
    return all;
}

std::optional<bool> BooleanWord(const QString& word) {
    const QString w = word.trimmed().toLower();
    for (const char* yes : {"true", "yes", "on", "1"})
        if (w == QLatin1String(yes)) return true;
    for (const char* no : {"false", "no", "off", "0"})
        if (w == QLatin1String(no)) return false;
    return std::nullopt;
}

}  // namespace

JournalSettings ReadJournalSettings(const QString& iniPath, QString* problem) {
    JournalSettings s;
    if (iniPath.isEmpty()) return s;
    const QSettings ini(iniPath, QSettings::IniFormat);
    QStringList unknown;
    if (ini.contains(kJournalEnabledKey)) {
        const QString text = ini.value(kJournalEnabledKey).toString();
        if (const std::optional<bool> on = BooleanWord(text))
            s.enabled = *on;
        else
            unknown << QStringLiteral(
                           "enabled=%1（true か false を書いてください。受信ジャーナルは使います）")
                           .arg(text);
    }
    if (ini.contains(kJournalKeepKey)) {
        const QString text = ini.value(kJournalKeepKey).toString();
        bool ok = false;
        const int keep = text.trimmed().toInt(&ok);
        if (ok && keep >= 0)
            s.keep = keep;
        else
            unknown << QStringLiteral("keep=%1（0 以上の数を書いてください。%2 件を残します）")
                           .arg(text)
                           .arg(kJournalKeepDefault);
    }
    if (problem && !unknown.isEmpty())
        *problem = iniPath + QStringLiteral(" の [journal] に使えない値があります：") + kCrLf +
                   unknown.join(kCrLf);
    return s;
}

ReceiveJournal::ReceiveJournal(QString folder, JournalSettings settings)
    : folder_(QDir::cleanPath(std::move(folder))), settings_(settings) {}

ReceiveJournal::~ReceiveJournal() {
    closeFile();
    for (const auto& [path, fd] : ending_) worker_.post([fd = fd] { ::close(fd); });
}

void ReceiveJournal::received(const QByteArray& block) {
    if (!settings_.enabled || failed_ || block.isEmpty()) return;
    if (fd_ < 0 && !openFile()) return;
    if (!WriteAll(fd_, block.constData(), block.size())) {
        const int error = errno;
        closeFile();
        fail(path_ + QStringLiteral(": ") + ErrorText(error));
        return;
    }
    if (!sinceSync_.isValid() || sinceSync_.elapsed() >= 1000) {
        if (fileRemoved()) {
            closeFile();
            fail(path_ + QStringLiteral(": 受信中に消されました（フォルダーごと消された？）"));
            return;
        }
        // The first sync of a new file also syncs the folder that names it.
        const QString folder = sinceSync_.isValid() ? QString() : folder_;
        sinceSync_.start();
        worker_.post([fd = fd_, folder, sync = syncData] {
            sync(fd);
            if (!folder.isEmpty()) SyncFolder(folder);
        });
    }
}

QString ReceiveJournal::transferEnded() {
    if (fd_ >= 0 && fileRemoved()) {
        closeFile();
        fail(path_ + QStringLiteral(": 受信中に消されました（フォルダーごと消された？）"));
    }
    if (fd_ >= 0) {
        const int fd = std::exchange(fd_, -1);
        worker_.post([fd, sync = syncData] { sync(fd); });
        ending_[path_] = fd;
    }
    failed_ = false;
    QString path;
    path.swap(path_);
    return path;
}

void ReceiveJournal::finish(const QString& path, std::function<void()> change) {
    const auto it = ending_.find(path);
    const int fd = it == ending_.end() ? -1 : it->second;
    if (it != ending_.end()) ending_.erase(it);
    worker_.post([change = std::move(change), fd] {
        if (change) change();
        if (fd >= 0) ::close(fd);
    });
}

void ReceiveJournal::leaveUnconverted(const QString& path) { finish(path, {}); }

void ReceiveJournal::converted(const QString& path, const QStringList& writtenFiles) {
    if (path.isEmpty() || path == path_) return;  // none, or still being received
    const QString folder = folder_;
    const int keep = settings_.keep;
    finish(path, [path, writtenFiles, folder, keep] {
        // Only once the converted files are on the disk may their transfer's one copy go.
        // A file that is not on the disk (gone, or its sync failed) keeps the journal unconverted.
        if (!SyncConverted(writtenFiles)) return;
        if (MarkJournal(path, JournalState::Done).isEmpty()) return;
        SyncFolder(folder);
        RemoveOldDoneJournals(folder, keep);
    });
}

void ReceiveJournal::keepUnconverted(const QString& path) {
    if (path.isEmpty() || path == path_) return;
    const QString folder = folder_;
    finish(path, [path, folder] {
        if (!MarkJournal(path, JournalState::Kept).isEmpty()) SyncFolder(folder);
    });
}

bool ReceiveJournal::fileRemoved() const {
    struct stat st {};
    return ::fstat(fd_, &st) == 0 && st.st_nlink == 0;
}

bool ReceiveJournal::openFile() {
    if (const QString error = MakePrivateFolder(folder_); !error.isEmpty()) {
        fail(error);
        return false;
    }
    // Numbered in the order written, so that rotation keeps the newest whatever the clock says.
    if (sequence_ == 0) sequence_ = NextJournalSequence(folder_) - 1;
    const QDateTime start = now();
    for (;;) {
        const QString stem = folder_ + u'/' + JournalStem(start, ++sequence_);
        const QString path = stem + StateSuffix(JournalState::Open);
        if (QFileInfo::exists(stem + StateSuffix(JournalState::Kept)) ||
            QFileInfo::exists(stem + StateSuffix(JournalState::Done)))
            continue;
        fd_ = ::open(QFile::encodeName(path).constData(),
                     O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            path_ = path;
            ::fchmod(fd_, 0600);              // whatever the umask allowed
            ::flock(fd_, LOCK_EX | LOCK_NB);  // another program's start-up leaves it alone
            sinceSync_.invalidate();
            return true;
        }
        if (errno != EEXIST) {
            fail(path + QStringLiteral(": ") + ErrorText(errno));
            return false;
        }
    }
}

void ReceiveJournal::fail(const QString& detail) {
    failed_ = true;
    if (onFailure)
        onFailure(
            QStringLiteral(
                "受信ジャーナルに書き込めません。受信したデータはメモリーの中にだけあります。") +
            kCrLf + detail);
}

void ReceiveJournal::closeFile() {
    if (fd_ < 0) return;
    const int fd = fd_;
    fd_ = -1;
    worker_.post([fd, sync = syncData] {
        sync(fd);
        ::close(fd);
    });
}

}  // namespace fenmor
