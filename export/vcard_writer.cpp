// Names are split at the first space into family and given name, as the PDA's users type them
// ("山田　太郎"); readings are widened to full-width katakana for the phonetic-name properties
// that phones read (X-PHONETIC-LAST-NAME and X-PHONETIC-FIRST-NAME).
#include "export/vcard_writer.h"

#include <QStringList>
#include <QVarLengthArray>
#include <optional>

#include "core/char_conversions.h"
#include "core/date_pattern.h"
#include "export/content_lines.h"

namespace fenmor {
namespace {

// Views of the columns' values: a card is written while its columns stand, and copying each value
// cost more than writing it.
struct Card {
    QStringView name, reading, nickname, company, department, jobTitle, postalCode, address,
        address2;
    QStringView homePostalCode, homeAddress, birthday;
    std::optional<QDate> birthdate;
    QVarLengthArray<QStringView, 4> memos, mails, urls;
    QStringList categories, unknown;
    bool secret = false;
    std::optional<QDateTime> modified;
    Extras extras;
    QVarLengthArray<std::pair<Meaning, QStringView>, 6> phones;  // in the columns' order
};

QStringView* SingleSlot(Card& c, Meaning m) {
    switch (m) {
        case Meaning::Name:
            return &c.name;
        case Meaning::Reading:
            return &c.reading;
        case Meaning::Nickname:
            return &c.nickname;
        case Meaning::HomePostalCode:
            return &c.homePostalCode;
        case Meaning::HomeAddress:
            return &c.homeAddress;
        case Meaning::Company:
            return &c.company;
        case Meaning::Department:
            return &c.department;
        case Meaning::JobTitle:
            return &c.jobTitle;
        case Meaning::PostalCode:
            return &c.postalCode;
        case Meaning::Address:
            return &c.address;
        case Meaning::Address2:
            return &c.address2;
        case Meaning::Birthday:
            return &c.birthday;
        default:
            return nullptr;
    }
}

// The birthday as a date, or nothing when the value is not a real date.
std::optional<QDate> BirthdayOf(const QString& value) {
    const std::optional<QDateTime> t = PdaDigits(value);
    if (!t) return std::nullopt;
    return t->date();
}

void Take(Card& c, const Column& col) {
    const Meaning m = col.meaning;
    if (QStringView* single = SingleSlot(c, m)) {
        if (m == Meaning::Birthday && single->isEmpty()) c.birthdate = BirthdayOf(col.value);
        const bool badDate = m == Meaning::Birthday && !c.birthdate;
        if (!single->isEmpty() || badDate) {  // a second name or an unreadable date: kept as text
            c.unknown << LabelledLine(col);
            return;
        }
        *single = col.value;
        return;
    }
    switch (m) {
        case Meaning::Phone:
        case Meaning::HomePhone:
        case Meaning::WorkPhone:
        case Meaning::Mobile:
        case Meaning::Fax:
        case Meaning::HomeFax:
            c.phones.push_back({m, col.value});
            break;
        case Meaning::Mail:
            c.mails.push_back(col.value);
            break;
        case Meaning::Url:
            c.urls.push_back(col.value);
            break;
        case Meaning::Memo:
            c.memos.push_back(col.value);
            break;
        case Meaning::Category:
            c.categories << col.value;
            break;
        case Meaning::Secret:
            c.secret = c.secret || (col.value != u"0" && !col.value.isEmpty());
            KeepAside(col, c.extras);
            break;
        case Meaning::UpdateTime:
            c.modified = UpdateMoment(col);
            if (!c.modified) KeepAside(col, c.extras);
            break;
        default:
            if (IsBookkeeping(m))
                KeepAside(col, c.extras);
            else
                c.unknown << LabelledLine(col);
    }
}

// Family and given name: the text before and after the first space (half or full width).
std::pair<QStringView, QStringView> SplitName(QStringView name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == u' ' || name[i] == QChar(0x3000))
            return {name.left(i).trimmed(), name.sliced(i + 1).trimmed()};
    }
    return {name, QStringView()};
}

QString PhoneType(Meaning m, bool v4) {
    switch (m) {
        case Meaning::HomePhone:
            return v4 ? QStringLiteral("TEL;TYPE=home,voice")
                      : QStringLiteral("TEL;TYPE=HOME,VOICE");
        case Meaning::WorkPhone:
            return v4 ? QStringLiteral("TEL;TYPE=work,voice")
                      : QStringLiteral("TEL;TYPE=WORK,VOICE");
        case Meaning::Mobile:
            return v4 ? QStringLiteral("TEL;TYPE=cell") : QStringLiteral("TEL;TYPE=CELL");
        case Meaning::Fax:
            return v4 ? QStringLiteral("TEL;TYPE=fax") : QStringLiteral("TEL;TYPE=FAX");
        case Meaning::HomeFax:
            return v4 ? QStringLiteral("TEL;TYPE=home,fax") : QStringLiteral("TEL;TYPE=HOME,FAX");
        default:
            return v4 ? QStringLiteral("TEL;TYPE=voice") : QStringLiteral("TEL;TYPE=VOICE");
    }
}

QStringView FormattedName(const Card& c, const Columns& columns) {
    if (!c.name.isEmpty()) return c.name;
    if (!c.company.isEmpty()) return c.company;
    for (const Column& col : columns)
        if (!col.shown.isEmpty() && !IsBookkeeping(col.meaning) && col.meaning != Meaning::Category)
            return col.shown;
    return u"(名前なし)";
}

// The memos, then what no property holds, a line each.
QString NoteOf(const Card& c) {
    QString note;
    const auto line = [&note](QStringView text) {
        if (!note.isEmpty()) note += u'\n';
        note += text;
    };
    for (const QStringView memo : c.memos) line(memo);
    for (const QString& other : c.unknown) line(other);
    return note;
}

// Dates in the forms the versions want, without the cost of a pattern per card: 1 basic date,
// 2 extended date, 3 basic UTC time stamp, 4 extended UTC time stamp.
QString Stamp(const QDate& d, const QTime& t, int form) {
    const bool extended = form == 2 || form == 4;
    QVarLengthArray<char16_t, 20> out;
    const auto two = [&out](int n) {
        out += static_cast<char16_t>(u'0' + n / 10);
        out += static_cast<char16_t>(u'0' + n % 10);
    };
    int year = 0, month = 0, day = 0;
    d.getDate(&year, &month, &day);  // one calendar computation, not three
    two(year / 100);
    two(year % 100);
    if (extended) out += u'-';
    two(month);
    if (extended) out += u'-';
    two(day);
    if (form < 3) return QStringView(out.data(), out.size()).toString();
    out += u'T';
    two(t.hour());
    if (extended) out += u':';
    two(t.minute());
    if (extended) out += u':';
    two(t.second());
    out += u'Z';
    return QStringView(out.data(), out.size()).toString();
}

}  // namespace

QByteArray VCardOf(const Columns& columns, const QString& uid, int version) {
    ContentLines out;
    AppendVCard(out, columns, uid, version);
    return out.bytes();
}

void AppendVCard(ContentLines& out, const Columns& columns, const QString& uid, int version) {
    const bool v4 = version != 3;
    Card c;
    for (const Column& col : columns) Take(c, col);

    out.raw(v4 ? "BEGIN:VCARD\r\nVERSION:4.0\r\nPRODID:-//Fenmor//Fenmor//JA\r\n"
               : "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Fenmor//Fenmor//JA\r\n");
    // One UID text in both versions, so that switching versions updates instead of doubling.
    out.add(QStringLiteral("UID"), QStringLiteral("urn:uuid:") + uid);
    out.addText(QStringLiteral("FN"), FormattedName(c, columns));
    const auto [family, given] = SplitName(c.name);
    out.addParts(u"N", {family, given, {}, {}, {}}, ';');
    if (!c.reading.isEmpty()) {
        const QString reading = WidenHalfWidthKana(c.reading);
        const auto [last, first] = SplitName(reading);
        out.addText(QStringLiteral("X-PHONETIC-LAST-NAME"), last);
        out.addText(QStringLiteral("X-PHONETIC-FIRST-NAME"), first);
    }
    if (!c.department.isEmpty())
        out.addParts(u"ORG", {c.company, c.department}, ';');
    else
        out.addText(u"ORG", c.company);
    out.addText(QStringLiteral("NICKNAME"), c.nickname);
    out.addText(QStringLiteral("TITLE"), c.jobTitle);
    if (!c.postalCode.isEmpty() || !c.address.isEmpty() || !c.address2.isEmpty())
        out.addParts(u"ADR", {{}, c.address2, c.address, {}, {}, c.postalCode, {}}, ';');
    if (!c.homePostalCode.isEmpty() || !c.homeAddress.isEmpty())
        out.addParts(v4 ? u"ADR;TYPE=home" : u"ADR;TYPE=HOME",
                     {{}, {}, c.homeAddress, {}, {}, c.homePostalCode, {}}, ';');
    for (const auto& [meaning, number] : c.phones) out.addText(PhoneType(meaning, v4), number);
    for (const QStringView mail : c.mails)
        out.addText(v4 ? QStringLiteral("EMAIL") : QStringLiteral("EMAIL;TYPE=INTERNET"), mail);
    for (const QStringView url : c.urls) out.addText(QStringLiteral("URL"), url);
    if (c.birthdate) out.add(QStringLiteral("BDAY"), Stamp(*c.birthdate, {}, v4 ? 1 : 2));
    if (!c.categories.isEmpty()) out.addParts(u"CATEGORIES", c.categories, ',');
    out.addText(QStringLiteral("NOTE"), NoteOf(c));
    if (c.secret && !v4) out.add(QStringLiteral("CLASS"), QStringLiteral("PRIVATE"));
    if (c.modified)
        out.add(QStringLiteral("REV"), Stamp(c.modified->date(), c.modified->time(), v4 ? 3 : 4));
    for (const auto& [name, value] : c.extras) out.addText(name, value);
    out.raw("END:VCARD\r\n");
}

}  // namespace fenmor
