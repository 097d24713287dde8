// Reading saved transfers back and feeding them through the processing run: the one path
// that the converter tool and the window's re-conversion share.
#include "reconvert/saved_transfer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/received_buffer.h"
#include "reconvert/rcv_reader.h"

namespace fenmor {
namespace {

constexpr int kWarningsShown = 10;

// The character dump that the raw-data save writes beside the ".rcv" file.
QString SystemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// Reads at most limit bytes of a regular file; anything else, or more, is a problem. Opened
// without waiting, so that a FIFO given the name of a capture does not hang the reader.
QByteArray ReadRegularFile(const QString& path, qint64 limit, QString* problem) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *problem = SystemText(errno);
        return {};
    }
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        *problem = SystemText(errno);
        return {};
    }
    if (S_ISDIR(st.st_mode)) {
        *problem = QStringLiteral("フォルダーです");
        return {};
    }
    if (!S_ISREG(st.st_mode)) {
        *problem = QStringLiteral("普通のファイルではありません（デバイスやパイプは読みません）");
        return {};
    }
    const QString tooLarge =
        QStringLiteral("大きすぎます。一度に変換できるのは %1 バイトまでです").arg(limit);
    if (st.st_size > limit) {
        *problem = tooLarge;
        return {};
    }
    QByteArray bytes(static_cast<qsizetype>(st.st_size) + 1, Qt::Uninitialized);
    qsizetype got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (got > limit) {  // it grew while read
                *problem = tooLarge;
                return {};
            }
            bytes.resize(std::min<qsizetype>(got * 2 + 4096, limit + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + got, static_cast<size_t>(bytes.size() - got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *problem = SystemText(errno);
            return {};
        }
        if (n == 0) break;
        got += n;
    }
    bytes.truncate(got);
    return bytes;
}

bool IsCharacterDump(const QByteArray& bytes) {
    return bytes.startsWith(QByteArray(45, '=') + "\r\n");
}

}  // namespace

SavedTransfer ReadSavedTransfer(const QString& path) {
    SavedTransfer t;
    t.path = path;
    const qint64 limit = IsRcvName(path) ? kLargestRcvFile : kLargestTransfer;
    QString problem;
    const QByteArray content = ReadRegularFile(path, limit, &problem);
    if (!problem.isEmpty()) {
        t.error = QStringLiteral("%1 を読めません：%2").arg(path, problem);
        return t;
    }
    if (!IsRcvName(path)) {
        t.bytes = content;
        return t;
    }
    if (IsCharacterDump(content)) {
        t.error =
            path +
            QStringLiteral(" は受信データのダンプ（ascii.rcv）で、受信したデータではありません。");
        return t;
    }
    RcvReading r = ReadRcv(content);
    t.bytes = std::move(r.bytes);
    for (const RcvWarning& w : r.warnings) {
        if (t.warnings.size() == kWarningsShown) {
            t.warnings
                << QStringLiteral("ほかに %1 か所。").arg(r.warnings.size() - kWarningsShown);
            break;
        }
        t.warnings << RcvWarningText(w);
    }
    return t;
}

bool FeedTransfer(Session& s, const QByteArray& bytes, qsizetype blockSize) {
    StartReceiving(s);
    for (qsizetype at = 0; at < bytes.size(); at += blockSize)
        if (!AppendReceivedData(s, bytes.mid(at, blockSize))) return false;
    FinishTransfer(s);
    return true;
}

bool ConvertSavedTransfer(Session& s, const SavedTransfer& t, qsizetype blockSize) {
    if (!t.warnings.isEmpty())
        s.message(t.path + kCrLf + t.warnings.join(kCrLf), Buttons::Ok, Icon::Exclamation,
                  QStringLiteral("受信データの読み込み"));
    return FeedTransfer(s, t.bytes, blockSize);
}

}  // namespace fenmor
