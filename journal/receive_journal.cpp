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
#include <QSettings>
#include <cerrno>
#include <cstring>

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
void SyncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool StemTaken(const QString& stem) {
    for (JournalState s : {JournalState::Open, JournalState::Kept, JournalState::Done})
        if (QFileInfo::exists(stem + StateSuffix(s))) return true;
    return false;
}

}  // namespace

JournalSettings ReadJournalSettings(const QString& iniPath) {
    const QSettings ini(iniPath, QSettings::IniFormat);
    JournalSettings s;
    s.enabled = ini.value(kJournalEnabledKey, true).toBool();
    bool ok = false;
    const int keep = ini.value(kJournalKeepKey, kJournalKeepDefault).toInt(&ok);
    s.keep = ok && keep >= 0 ? keep : kJournalKeepDefault;
    return s;
}

ReceiveJournal::ReceiveJournal(QString folder, JournalSettings settings)
    : folder_(QDir::cleanPath(std::move(folder))), settings_(settings) {}

ReceiveJournal::~ReceiveJournal() { closeFile(); }

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
        // The first sync of a new file also syncs the folder that names it.
        const QString folder = sinceSync_.isValid() ? QString() : folder_;
        sinceSync_.start();
        const int fd = fd_;
        worker_.post([fd, folder] {
            ::fdatasync(fd);
            if (!folder.isEmpty()) SyncFolder(folder);
        });
    }
}

void ReceiveJournal::processed() {
    closeFile();
    failed_ = false;
    if (path_.isEmpty()) return;
    const QString path = path_;
    path_.clear();
    const QString folder = folder_;
    const int keep = settings_.keep;
    worker_.post([path, folder, keep] {
        if (MarkJournal(path, JournalState::Done).isEmpty()) return;
        SyncFolder(folder);
        RemoveOldDoneJournals(folder, keep);
    });
}

void ReceiveJournal::markDone(const QString& path) {
    if (path == path_) return;  // still being received
    (void)MarkJournal(path, JournalState::Done);
    RemoveOldDoneJournals(folder_, settings_.keep);
}

bool ReceiveJournal::openFile() {
    if (const QString error = MakePrivateFolder(folder_); !error.isEmpty()) {
        fail(error);
        return false;
    }
    const QString stem = folder_ + u'/' + JournalStem(now());
    for (int i = 1;; ++i) {
        const QString candidate = i == 1 ? stem : stem + u'-' + QString::number(i);
        if (StemTaken(candidate)) continue;
        const QString path = candidate + StateSuffix(JournalState::Open);
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
    worker_.post([fd] {
        ::fdatasync(fd);
        ::close(fd);
    });
}

}  // namespace fenmor
