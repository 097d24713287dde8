#include "core/char_conversions.h"

#include <array>
#include <utility>

#include "core/sjis.h"

namespace fenmor {
namespace {

constexpr unsigned char kPiPrefix = 0xEC;
constexpr char16_t kHalfFirst = 0xFF61;
constexpr char16_t kHalfLast = 0xFF9F;

bool IsHalfWidth(QChar c) { return c.unicode() >= kHalfFirst && c.unicode() <= kHalfLast; }

// Each half-width kana widened by compatibility composition, alone and followed by each sound
// mark, worked out once by the normalizer: a card's reading is widened a pair at a time from
// these instead of normalizing every run again.
struct WideKana {
    std::array<QString, kHalfLast - kHalfFirst + 1> alone, voiced, semiVoiced;
};

const WideKana& WideKanaTable() {
    static const WideKana table = [] {
        WideKana t;
        for (char16_t c = kHalfFirst; c <= kHalfLast; ++c) {
            const QString kana(QChar{c});
            t.alone[c - kHalfFirst] = kana.normalized(QString::NormalizationForm_KC);
            t.voiced[c - kHalfFirst] =
                (kana + QChar(0xFF9E)).normalized(QString::NormalizationForm_KC);
            t.semiVoiced[c - kHalfFirst] =
                (kana + QChar(0xFF9F)).normalized(QString::NormalizationForm_KC);
        }
        return t;
    }();
    return table;
}

// The widened text of the kana at i, and how many characters it took: a kana joins only the
// sound mark right after it (a second mark is blocked by the first), so widening pair by pair
// gives what composing the whole run gives.
std::pair<const QString&, int> WideAt(QStringView text, qsizetype i) {
    const WideKana& t = WideKanaTable();
    const int at = text[i].unicode() - kHalfFirst;
    const char16_t next = i + 1 < text.size() ? text[i + 1].unicode() : 0;
    const QString* joined = next == 0xFF9E   ? &t.voiced[at]
                            : next == 0xFF9F ? &t.semiVoiced[at]
                                             : nullptr;
    if (joined && joined->size() == 1) return {*joined, 2};
    return {t.alone[at], 1};
}

// A sound mark left alone becomes the spacing full-width mark.
QChar Spacing(QChar c) {
    if (c.unicode() == 0x3099) return QChar(0x309B);
    if (c.unicode() == 0x309A) return QChar(0x309C);
    return c;
}

// The Japanese locale's narrow-to-wide mapping for one widened character: a joined kana the
// encoding cannot hold stays the kana followed by the spacing mark.
void AppendWide(QString& out, QChar c, CanHold canHold) {
    if (canHold(c)) {
        out += Spacing(c);
        return;
    }
    const QString parts = QString(c).normalized(QString::NormalizationForm_D);
    if (parts.size() == 2 && canHold(parts[0])) {
        out += parts[0];
        out += Spacing(parts[1]);
        return;
    }
    out += Spacing(c);
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

QString WidenHalfWidthKana(QStringView text, CanHold canHold) {
    QString out;
    out.reserve(text.size() + 2);
    for (qsizetype i = 0; i < text.size();) {
        if (!IsHalfWidth(text[i])) {
            out += text[i++];
            continue;
        }
        const auto [wide, taken] = WideAt(text, i);
        for (const QChar c : wide) AppendWide(out, c, canHold);
        i += taken;
    }
    return out;
}

}  // namespace fenmor
