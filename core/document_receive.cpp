#include "core/document_receive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>

#include "core/date_format.h"
#include "core/file_errors.h"
#include "core/received_buffer.h"

namespace fenmor {
namespace {

const QString kForbidden = QStringLiteral("/\\.|,;:*?<>\"");

bool IsControl(QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; }

// The 6-bit value of a character of the transfer alphabet, or -1 outside it.
int ValueOf(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '5') return u - 48;
    if (u >= 'A' && u <= 'Z') return u - 59;
    if (u >= '6' && u <= ';') return u - 22;
    if (u >= 'a' && u <= 'z') return u - 59;
    return -1;
}

void ReportFileError(Session& s, int number, const QString& description) {
    if (number == kFileNotFound)
        s.zMS = u'[' + s.zRTF + QStringLiteral("] ファイル名が不適当です！");
    else if (number == kPathNotFound)
        s.zMS = u'[' + s.zRTF + QStringLiteral("] パスが見つかりません！");
    else
        s.zMS = QStringLiteral("4to3/予期しないエラー ＃") + QString::number(number) +
                QStringLiteral(" が発生しました！") + description;
    s.message(s.zMS, Buttons::Ok, Icon::None, QStringLiteral("ファイルエラー"));
}

// A file name holds at most 255 bytes on the usual file systems. A longer title is shortened
// to fit with its suffix, so that its document is saved rather than lost.
QString FitName(const QString& name, const QString& suffix) {
    constexpr qsizetype kNameMax = 255;
    QString fit = name.left(kNameMax);
    while (!fit.isEmpty() && QFile::encodeName(fit + suffix).size() > kNameMax)
        fit.chop(fit.size() >= 2 && fit.back().isLowSurrogate() ? 2 : 1);
    return fit;
}

// Finds the first name not taken; an existing file, even an empty one, is never replaced.
void FindFreeName(Session& s, const QString& name) {
    const QString first = QStringLiteral(".RTF");
    s.zRTF = s.zDEF + FitName(name, first) + first;
    for (int i = 1;; ++i) {
        CheckFileExists(s, s.zRTF);
        if (s.nEXST != 1) return;
        const QString numbered = u'(' + QString::number(i) + QStringLiteral(").rtf");
        s.zRTF = s.zDEF + FitName(name, numbered) + numbered;
    }
}

}  // namespace

QString DocumentName(const QString& title, const QString& modified) {
    const bool usable = std::none_of(
        title.begin(), title.end(), [](QChar c) { return kForbidden.contains(c) || IsControl(c); });
    if (usable) return title;
    // The time stamp is digits in what the PDA sends; anything that could leave the output
    // folder is made harmless all the same.
    QString name = modified;
    for (QChar& c : name)
        if (c == u'/' || c == u'\\' || IsControl(c) || (kForbidden.contains(c) && c != u'.'))
            c = u'_';
    return name;
}

void CheckFileExists(Session& s, const QString& name) {
    const QFileInfo info(name);
    if (info.exists())
        s.nEXST = 1;
    else
        s.nEXST = info.absoluteDir().exists() ? 0 : -1;
}

QByteArray DecodeFourToThree(const QString& text, bool* loneLast) {
    QByteArray out;
    out.reserve(text.size() * 3 / 4 + 3);
    *loneLast = false;
    int v = 0;
    qsizetype pos = 0;
    const qsizetype size = text.size();
    while (pos < size) {
        const qsizetype n = std::min<qsizetype>(4, size - pos);
        if (n == 1) {
            *loneLast = true;
            break;
        }
        int values[4] = {};
        for (qsizetype k = 0; k < n; ++k) {
            const int value = ValueOf(text[pos + k]);
            if (value >= 0) v = value;  // a character outside the alphabet repeats the last one
            values[k] = v;
        }
        pos += n;
        const int top = values[n - 1];
        for (qsizetype k = 1; k < n; ++k)
            out += static_cast<char>(values[k - 1] + 64 * ((top >> (6 - 2 * k)) & 3));
    }
    return out;
}

void Decode4to3(Session& s, const QString& text) {
    QString error;
    int systemError = 0;
    auto f = OutputFile::open(s.zRTF, &error, OutputFile::Mode::NewOnly, &systemError);
    if (!f) {
        s.failures.somethingNotWritten();
        ReportFileError(s, FileErrorNumberOf(systemError, s.zRTF), error);
        return;
    }
    bool lone = false;
    const QByteArray bytes = DecodeFourToThree(text, &lone);
    if (!f->writeBytes(bytes) || !f->close()) {
        s.failures.somethingNotWritten();
        ReportFileError(s, FileErrorNumberOf(f->systemError(), s.zRTF), f->errorText());
        return;
    }
    s.failures.written(s.zRTF);
    if (lone)
        s.message(QStringLiteral("エラー：残りバイト数が１バイトです！"), Buttons::Ok, Icon::None);
}

void ReceiveDocument(Session& s) {
    if (!s.zKINO.endsWith(u'W')) return;
    ScrollListToEnd(s, QStringLiteral("ワープロデータ受信"));
    auto& r = s.DataRecord;
    const QString content = r[10];
    const QString name = DocumentName(r[9], r[4]);
    FindFreeName(s, name);
    ScrollListToEnd(s, QStringLiteral("保存ファイル名：") + s.zRTF);
    ScrollListToEnd(s, QStringLiteral("  (修正時刻：") +
                           zDF(s, r[4], QStringLiteral("yyyy/mm/dd hh/nn/ss"), 9) + u')');
    Decode4to3(s, content);
}

}  // namespace fenmor
