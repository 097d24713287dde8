#include "core/run_failures.h"

#include <QDir>
#include <QFileInfo>

#include "core/session.h"

namespace fenmor {
namespace {

QString Normalized(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

}  // namespace

void RunFailures::writeFailed(const QString& path) {
    notWritten_ = true;
    if (mayOpen(path)) failedFiles_ << Normalized(path);
}

bool RunFailures::mayOpen(const QString& path) const {
    return path.isEmpty() || !failedFiles_.contains(Normalized(path));
}

bool RunFailures::firstSeparatorError() {
    if (separatorErrorShown_) return false;
    separatorErrorShown_ = true;
    return true;
}

void AbandonOutputFile(Session& s, const QString& errorText) {
    s.message(errorText, Buttons::Ok, Icon::Exclamation);
    if (s.nFR2) {
        s.nFR2->close();
        s.failures.writeFailed(s.nFR2->path());
    }
    s.nFR2.reset();
}

QString NothingReadableText(qint64 bytes, const QString& speed, const QString& keptIn) {
    QString text =
        QStringLiteral("%1 バイトを受信しましたが、レコードになったものはひとつもありません。")
            .arg(bytes) +
        (speed.isEmpty()
             ? QStringLiteral("\r\n通信速度か接続の設定が送る側と合っていなかったようです。")
             : QStringLiteral("\r\n通信速度（今は %1）か接続の設定が送る側と合っていないようです。")
                   .arg(speed));
    if (!keptIn.isEmpty())
        text += QStringLiteral("\r\n受信したバイトはそのまま残してあります：") + keptIn;
    return text;
}

}  // namespace fenmor
