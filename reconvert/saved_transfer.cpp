// Reading saved transfers back and feeding them through the processing run: the one path
// that the converter tool and the window's re-conversion share.
#include "reconvert/saved_transfer.h"

#include <QFile>
#include <QFileInfo>

#include "core/received_buffer.h"
#include "reconvert/rcv_reader.h"

namespace fenmor {
namespace {

constexpr int kWarningsShown = 10;

// The character dump that the raw-data save writes beside the ".rcv" file.
bool IsCharacterDump(const QByteArray& bytes) {
    return bytes.startsWith(QByteArray(45, '=') + "\r\n");
}

}  // namespace

SavedTransfer ReadSavedTransfer(const QString& path) {
    SavedTransfer t;
    t.path = path;
    QFile f(path);
    if (QFileInfo(path).isDir() || !f.open(QIODevice::ReadOnly)) {
        t.error = QStringLiteral("%1 を読めません：%2")
                      .arg(path, QFileInfo(path).isDir() ? QStringLiteral("フォルダーです")
                                                         : f.errorString());
        return t;
    }
    const QByteArray content = f.readAll();
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
