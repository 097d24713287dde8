// Content lines as iCalendar and vCard share them: NAME;PARAM=x:value, CR LF after each line,
// lines folded at 75 octets without splitting a UTF-8 sequence, and text values escaped.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <QStringList>

namespace fenmor {

// A text value with backslash, comma, semicolon and line breaks escaped ("\\", "\,", "\;",
// "\n"); control characters other than the tab, which neither format allows, are left out.
[[nodiscard]] QString EscapeText(const QString& text);

// Escaped values joined by separator: the parts of a structured value (N, ADR, ORG use ";")
// or of a list (CATEGORIES uses ",").
[[nodiscard]] QString EscapeParts(const QStringList& parts, QChar separator);

class ContentLines {
  public:
    // name and params as written ("DTSTART;VALUE=DATE"); value already escaped where needed.
    void add(const QString& nameAndParams, const QString& value);
    // A text property: empty text adds nothing.
    void addText(const QString& nameAndParams, const QString& text);
    // Lines that are fixed, already ended by CR LF.
    void raw(const char* lines) { out_ += lines; }
    [[nodiscard]] const QByteArray& bytes() const { return out_; }

  private:
    QByteArray out_;
    QStringEncoder utf8_{QStringEncoder::Utf8};
};

// One unfolded line as UTF-8, folded: every physical line at most 75 octets before its CR LF,
// continuation lines starting with one space.
[[nodiscard]] QByteArray FoldLine(const QByteArray& line);

}  // namespace fenmor
