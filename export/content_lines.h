// Content lines as iCalendar and vCard share them: NAME;PARAM=x:value, CR LF after each line,
// lines folded at 75 octets without splitting a UTF-8 sequence, and text values escaped.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <QStringList>
#include <QStringView>
#include <initializer_list>

namespace fenmor {

class ContentLines {
  public:
    // name and params as written ("DTSTART;VALUE=DATE"); value already escaped where needed.
    void add(QStringView nameAndParams, QStringView value);
    // A text property, escaped: backslash, comma, semicolon and line breaks ("\\", "\,", "\;",
    // "\n"); control characters other than the tab, which neither format allows, are left out.
    // Empty text adds nothing.
    void addText(QStringView nameAndParams, QStringView text);
    // A structured value (N, ADR, ORG: separator ';') or a list (CATEGORIES: ','), each part
    // escaped.
    void addParts(QStringView nameAndParams, std::initializer_list<QStringView> parts,
                  char separator);
    void addParts(QStringView nameAndParams, const QStringList& parts, char separator);
    // Lines that are fixed, already ended by CR LF.
    void raw(const char* lines);
    // What was written; writing may go on after.
    [[nodiscard]] const QByteArray& bytes();
    // Starts again from nothing, keeping the room made.
    void clear() { used_ = 0; }

  private:
    char* room(qsizetype octets);
    void open(QStringView nameAndParams, qsizetype valueUnits);
    void putEscaped(QStringView text);
    void close();
    template <typename Parts>
    void joined(QStringView nameAndParams, const Parts& parts, char separator);

    // Written up to used_; the rest is room made ahead, so that a line is written through a
    // pointer instead of growing the array piece by piece.
    QByteArray out_;
    qsizetype used_ = 0;
    // Stateless: a stray surrogate is replaced where it stands, never carried into the next line.
    QStringEncoder utf8_{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
    qsizetype begin_ = 0;  // where the line being written starts
    char* at_ = nullptr;   // where its next octet goes
};

// One unfolded line as UTF-8, folded: every physical line at most 75 octets before its CR LF,
// continuation lines starting with one space.
[[nodiscard]] QByteArray FoldLine(const QByteArray& line);

}  // namespace fenmor
