#include "core/help_document.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "core/file_errors.h"
#include "core/session.h"
#include "core/sjis.h"

namespace fenmor {
namespace {

// Lines end at CR, CR LF or, for a document edited on this system, a lone LF.
void AppendLines(DataList& list, const QString& text) {
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n') continue;
        list.append(text.mid(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) list.append(text.mid(start));
}

QString ErrorMessage(int number, const QString& path) {
    if (number == kFileNotFound) return path + QStringLiteral("ファイルが見つかりません！");
    if (number == kPathNotFound)
        return path + QStringLiteral("パスが見つかりません！") + kCrLf +
               QStringLiteral("正しいファイル名ではありません！");
    const QString description = number == kPermissionDenied
                                    ? QStringLiteral("読み込みが許可されていません。")
                                    : QStringLiteral("ファイルを読み込めません。");
    return QStringLiteral("予期しないエラー＃") + (number < 0 ? QString() : QStringLiteral(" ")) +
           QString::number(number) + QStringLiteral(" が発生しました！") + description;
}

}  // namespace

void ShowHelpDocument(Session& s, const QString& programFolder) {
    s.liD.clear();
    const QString path = programFolder + QDir::separator() + kHelpFileName;
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const int e = errno ? errno : ENOENT;
        s.zMS = ErrorMessage(FileErrorNumberOf(e == EISDIR ? EIO : e, path), path);
        s.message(s.zMS, Buttons::Ok, Icon::None, QStringLiteral("ファイルエラー"));
        return;
    }
    const QByteArray bytes = file.readAll();
    const bool failed = file.error() != QFileDevice::NoError;
    file.close();
    AppendLines(s.liD, sjis::Decode(bytes));
    s.liD.takeFocus();
    if (failed) {
        s.zMS = ErrorMessage(kPathFileAccess, path);
        s.message(s.zMS, Buttons::Ok, Icon::None, QStringLiteral("ファイルエラー"));
    }
}

}  // namespace fenmor
