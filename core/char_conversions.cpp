#include "core/char_conversions.h"

#include <array>

#include "core/sjis.h"

namespace fenmor {
namespace {

constexpr unsigned char kPiPrefix = 0xEC;
constexpr char16_t kHalfFirst = 0xFF61;
constexpr char16_t kHalfLast = 0xFF9F;

bool IsHalfWidth(QChar c) { return c.unicode() >= kHalfFirst && c.unicode() <= kHalfLast; }

// The Japanese locale's narrow-to-wide mapping: compatibility composition does the widening
// and joins a kana with its sound mark; a mark left alone becomes the spacing full-width mark.
// A joined kana the encoding cannot hold stays the kana followed by the spacing mark.
QString Widen(const QString& run, CanHold canHold) {
    QString wide = run.normalized(QString::NormalizationForm_KC);
    QString out;
    out.reserve(wide.size() + 1);
    for (const QChar c : wide) {
        if (canHold(c)) {
            out += c;
            continue;
        }
        const QString parts = QString(c).normalized(QString::NormalizationForm_D);
        out += parts.size() == 2 && canHold(parts[0]) ? parts : QString(c);
    }
    out.replace(QChar(0x3099), QChar(0x309B));
    out.replace(QChar(0x309A), QChar(0x309C));
    return out;
}

// The replacement bytes for each table entry, encoded once.
const std::array<QByteArray, 52>& KanaBytes() {
    static const std::array<QByteArray, 52> bytes = [] {
        std::array<QByteArray, 52> b;
        const QString& t = KanaTable();
        for (int k = 1; k <= 51; ++k) {
            const QString pair = t.mid(2 * k - 2, 2);
            if (pair != u"??") b[k] = sjis::Encode(pair);
        }
        return b;
    }();
    return bytes;
}

}  // namespace

const QString& KanaTable() {
    static const QString table =
        QStringLiteral("ｶﾞ??ｷﾞ??ｸﾞ??ｹﾞ??ｺﾞ??ｻﾞ??ｼﾞ??ｽﾞ??ｾﾞ??ｿﾞ??ﾀﾞ??ﾁﾞ????ﾂﾞ??ﾃﾞ??ﾄﾞ") +
        QStringLiteral("????????????ﾊﾞﾊﾟ??ﾋﾞﾋﾟ??ﾌﾞﾌﾟ??ﾍﾞﾍﾟ??ﾎﾞﾎﾟｳﾞ");
    return table;
}

QByteArray ConvertHalfWidthKana(const QByteArray& entry) {
    if (!entry.contains(static_cast<char>(kPiPrefix))) return entry;
    QByteArray out = entry;
    const auto& replacements = KanaBytes();
    for (qsizetype i = 0; i + 1 < out.size(); ++i) {
        if (static_cast<unsigned char>(out[i]) != kPiPrefix) continue;
        int k = static_cast<unsigned char>(out[i + 1]) - 0xA9;
        if (k == 0x49) k = 51;  // ヴ arrives as 0xF2
        const int n = 2 * k - 1;
        if (n < 1 || n > 101) continue;
        const QByteArray& r = replacements[k];
        if (r.size() != 2) continue;
        out[i] = r[0];
        out[i + 1] = r[1];
    }
    return out;
}

QString ConvertPunctuation(const QString& text) {
    if (!text.contains(QChar(0xFF64)) && !text.contains(QChar(0xFF61))) return text;
    QString out = text;
    out.replace(QChar(0xFF64), QChar(0x3001));
    out.replace(QChar(0xFF61), QChar(0x3002));
    return out;
}

QString WidenHalfWidthKana(const QString& text, CanHold canHold) {
    QString out;
    out.reserve(text.size());
    qsizetype runStart = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool half = i < text.size() && IsHalfWidth(text[i]);
        if (half) {
            if (runStart < 0) runStart = i;
            continue;
        }
        if (runStart >= 0) {
            out += Widen(text.mid(runStart, i - runStart), canHold);
            runStart = -1;
        }
        if (i < text.size()) out += text[i];
    }
    return out;
}

}  // namespace fenmor
