// Shift-JIS codec. The mapping is the C library's CP932 converter; it is read once into tables
// because the processing run decodes megabytes and the dump asks for the code of every character.
#include "core/sjis.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <memory>

namespace fenmor::sjis {
namespace {

constexpr char16_t kInvalid = 0xFFFD;
constexpr int kUnknown = -2;
constexpr int kUnmappable = -1;

class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    [[nodiscard]] bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    // Converts all of in; false when the converter refuses any of it.
    bool convert(const char* in, size_t inLen, char* out, size_t outLen, size_t* written) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* ip = const_cast<char*>(in);
        char* op = out;
        const size_t r = iconv(cd_, &ip, &inLen, &op, &outLen);
        *written = static_cast<size_t>(op - out);
        return r != static_cast<size_t>(-1) && inLen == 0;
    }

  private:
    iconv_t cd_;
};

// Decoding tables: one entry per single byte, one per lead/trail pair.
struct DecodeTables {
    std::array<char16_t, 256> single{};
    std::array<char16_t, 256 * 256> pair{};
};

char16_t DecodeOne(Converter& c, const char* bytes, size_t n) {
    char out[8];
    size_t written = 0;
    if (!c.convert(bytes, n, out, sizeof out, &written) || written != 2) return kInvalid;
    return static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                 (static_cast<unsigned char>(out[1]) << 8));
}

std::unique_ptr<DecodeTables> BuildDecodeTables() {
    auto t = std::make_unique<DecodeTables>();
    Converter c("UTF-16LE", "CP932");
    t->single.fill(kInvalid);
    t->pair.fill(kInvalid);
    if (!c.ok()) {
        for (int b = 0; b < 0x80; ++b) t->single[b] = static_cast<char16_t>(b);
        return t;
    }
    for (int b = 0; b < 256; ++b) {
        if (IsLeadByte(static_cast<unsigned char>(b))) continue;
        const char byte = static_cast<char>(b);
        t->single[b] = DecodeOne(c, &byte, 1);
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (!IsTrailByte(static_cast<unsigned char>(trail))) continue;
            const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            t->pair[lead * 256 + trail] = DecodeOne(c, bytes, 2);
        }
    }
    return t;
}

const DecodeTables& Tables() {
    static const std::unique_ptr<DecodeTables> tables = BuildDecodeTables();
    return *tables;
}

// Encoding cache: the converter is asked once per character, the answer kept. The program
// has one thread, so the cache needs no locking.
class EncodeCache {
  public:
    EncodeCache() : converter_("CP932", "UTF-16LE") { codes_.fill(kUnknown); }
    int code(char16_t u) {
        int& c = codes_[u];
        if (c == kUnknown) c = lookUp(u);
        return c;
    }

  private:
    int lookUp(char16_t u) {
        if (u >= 0xD800 && u <= 0xDFFF) return kUnmappable;
        if (!converter_.ok()) return u < 0x80 ? u : kUnmappable;
        const char in[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        char out[8];
        size_t written = 0;
        if (!converter_.convert(in, 2, out, sizeof out, &written)) return kUnmappable;
        if (written == 1) return static_cast<unsigned char>(out[0]);
        if (written == 2)
            return static_cast<unsigned char>(out[0]) * 256 + static_cast<unsigned char>(out[1]);
        return kUnmappable;
    }
    Converter converter_;
    std::array<int, 65536> codes_;
};

EncodeCache& Encoder() {
    static EncodeCache cache;
    return cache;
}

}  // namespace

// Every byte that cannot start a character ends one, so the bytes after the last such byte are
// lead bytes that pair off among themselves: an odd run leaves the last one alone.
bool EndsWithLoneLeadByte(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    qsizetype i = bytes.size();
    while (i > 0 && IsLeadByte(p[i - 1])) --i;
    return (bytes.size() - i) % 2 == 1;
}

QString Decode(const QByteArray& bytes) {
    const DecodeTables& t = Tables();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    QString text(n, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    qsizetype o = 0;
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (!IsLeadByte(b)) {
            out[o++] = t.single[b];
            ++i;
        } else if (i + 1 == n) {
            out[o++] = 0;  // the second byte is still to come
            ++i;
        } else if (IsTrailByte(p[i + 1])) {
            out[o++] = t.pair[b * 256 + p[i + 1]];
            i += 2;
        } else {
            out[o++] = kInvalid;
            ++i;
        }
    }
    text.truncate(o);
    return text;
}

void AppendEncoded(QByteArray& out, const QString& text) {
    EncodeCache& enc = Encoder();
    const qsizetype start = out.size();
    out.resize(start + text.size() * 2);
    char* p = out.data() + start;
    const char16_t* s = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = s[i];
        if (u < 0x80) {
            *p++ = static_cast<char>(u);
            continue;
        }
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF)
            ++i;  // a character beyond the code page's reach: one "?" for the pair
        const int c = enc.code(u);
        if (c < 0) {
            *p++ = '?';
        } else if (c < 256) {
            *p++ = static_cast<char>(c);
        } else {
            *p++ = static_cast<char>(c >> 8);
            *p++ = static_cast<char>(c & 0xFF);
        }
    }
    out.truncate(p - out.constData());
}

QByteArray Encode(const QString& text) {
    QByteArray out;
    AppendEncoded(out, text);
    return out;
}

bool CanEncode(QChar c) { return Encoder().code(c.unicode()) >= 0; }

bool ConverterWorks(const char* codePage) {
    // Both directions, on characters of each kind the data holds: ASCII, a half-width
    // katakana, hiragana, a kanji and a character of the code page's own NEC row.
    static const char kBytes[] = "A\xb1\x82\xa0\x88\x9f\x87\x40";
    static const char16_t kText[] = u"A\uFF71\u3042\u4E9C\u2460";
    Converter decoder("UTF-16LE", codePage);
    Converter encoder(codePage, "UTF-16LE");
    if (!decoder.ok() || !encoder.ok()) return false;
    char out[32];
    size_t written = 0;
    const size_t bytes = sizeof kBytes - 1;
    const size_t textBytes = (std::size(kText) - 1) * 2;
    if (!decoder.convert(kBytes, bytes, out, sizeof out, &written) || written != textBytes)
        return false;
    for (size_t i = 0; i < written / 2; ++i) {
        const auto u = static_cast<char16_t>(static_cast<unsigned char>(out[2 * i]) |
                                             (static_cast<unsigned char>(out[2 * i + 1]) << 8));
        if (u != kText[i]) return false;
    }
    char in[32];
    for (size_t i = 0; i + 1 < std::size(kText); ++i) {
        in[2 * i] = static_cast<char>(kText[i] & 0xFF);
        in[2 * i + 1] = static_cast<char>(kText[i] >> 8);
    }
    if (!encoder.convert(in, textBytes, out, sizeof out, &written) || written != bytes)
        return false;
    return std::equal(out, out + bytes, kBytes);
}

int CodeOf(QChar c) {
    const int code = Encoder().code(c.unicode());
    if (code < 0) return '?';
    return code >= 0x8000 ? code - 0x10000 : code;
}

}  // namespace fenmor::sjis
