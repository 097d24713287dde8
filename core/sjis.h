// Shift-JIS (Windows code page 932) decoding and encoding over the C library's iconv converter.
#pragma once

#include <QByteArray>
#include <QString>

namespace fenmor::sjis {

// True for a byte that starts a double-byte character.
[[nodiscard]] constexpr bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
[[nodiscard]] constexpr bool IsTrailByte(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// True when the bytes end with the first byte of a double-byte character whose second byte
// has not arrived (a lead byte that starts a character, not one that ends a pair).
[[nodiscard]] bool EndsWithLoneLeadByte(const QByteArray& bytes);

// Decodes bytes. A lone lead byte at the end decodes as character 0, so that a caller can see
// that a character was cut in two. Bytes that form no character decode as U+FFFD.
[[nodiscard]] QString Decode(const QByteArray& bytes);

// Encodes text; a character the code page lacks becomes "?".
[[nodiscard]] QByteArray Encode(const QString& text);
void AppendEncoded(QByteArray& out, const QString& text);

// True when the code page holds the character (Encode writes it as itself, not as "?").
[[nodiscard]] bool CanEncode(QChar c);

// True when the system's converter for codePage converts a few characters of each kind the
// PDA sends as CP932 does, both ways.
[[nodiscard]] bool ConverterWorks(const char* codePage);

// The Shift-JIS code of a character as a signed 16-bit number: a one-byte character gives its
// byte, a double-byte one lead * 256 + trail taken as signed; a character the code page lacks
// gives the code of "?" (63).
[[nodiscard]] int CodeOf(QChar c);

}  // namespace fenmor::sjis
