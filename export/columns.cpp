// What every exporter does alike with a record's columns.
#include "export/columns.h"

#include <QHash>
#include <QTimeZone>
#include <array>

#include "core/date_pattern.h"

namespace fenmor {

QString LabelledLine(const Column& c) { return c.label + QStringLiteral(": ") + c.shown; }

namespace {

const char* XNameText(Meaning m) {
    const char* name = "VALUE";
    switch (m) {
        case Meaning::RecordNumber:
            name = "RECORD-NUMBER";
            break;
        case Meaning::Attribute:
            name = "ATTRIBUTE";
            break;
        case Meaning::Secret:
            name = "SECRET";
            break;
        case Meaning::UpdateTime:
            name = "UPDATED";
            break;
        case Meaning::Reserved:
            name = "RESERVED";
            break;
        case Meaning::CategoryCode:
            name = "CATEGORY-CODE";
            break;
        case Meaning::DoneMark:
            name = "DONE";
            break;
        case Meaning::Mark:
            name = "MARK";
            break;
        case Meaning::Repeat:
            name = "REPEAT";
            break;
        case Meaning::RepeatEnd:
            name = "REPEAT-END";
            break;
        case Meaning::Priority:
            name = "PRIORITY";
            break;
        case Meaning::Completed:
            name = "COMPLETED";
            break;
        case Meaning::AlarmMinutes:
            name = "ALARM";
            break;
        case Meaning::AlarmOn:
            name = "ALARM-ON";
            break;
        default:
            break;
    }
    return name;
}

}  // namespace

// Made once per meaning: a card or an event holds several, and a large transfer many thousands.
QString XNameOf(Meaning m) {
    static const auto names = [] {
        constexpr int count = static_cast<int>(Meaning::CategoryCode) + 1;  // the last meaning
        std::array<QString, count> n;
        for (int i = 0; i < count; ++i)
            n[i] = QStringLiteral("X-FENMOR-") + QLatin1String(XNameText(static_cast<Meaning>(i)));
        return n;
    }();
    return names[static_cast<int>(m)];
}

void KeepAside(const Column& c, Extras& extras) {
    bool zero = true;
    for (const QChar ch : c.value) zero = zero && ch == u'0';
    if (!zero) extras.append({XNameOf(c.meaning), c.value});
}

std::optional<QDateTime> PdaDigits(const QString& value) {
    const qsizetype n = value.size();
    if (n != 8 && n != 12 && n != 14) return std::nullopt;
    int parts[7] = {0, 0, 0, 0, 0, 0, 0};  // year as two pairs, then month to second
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = value[i].unicode();
        if (c < u'0' || c > u'9') return std::nullopt;
        parts[i / 2] = parts[i / 2] * 10 + (c - u'0');
    }
    const QDate date(parts[0] * 100 + parts[1], parts[2], parts[3]);
    const QTime time(parts[4], parts[5], parts[6]);
    if (!date.isValid() || !time.isValid()) return std::nullopt;
    return QDateTime(date, time, Qt::UTC);
}

std::optional<QDateTime> UpdateMoment(const Column& c) {
    if (c.value.size() < 12) return std::nullopt;
    std::optional<QDateTime> t = PdaDigits(c.value);
    if (!t) return std::nullopt;
    if (c.slot == 4) return t;  // read as UTC
    // The zone's offset looked up once a day: converting every record through the zone's rules
    // (or the C library's local time, which reads the zone file each time) cost more than
    // writing the card. A change of offset within a day is not looked for.
    static const QTimeZone zone = QTimeZone::systemTimeZone();
    static QHash<qint64, int> offsets;
    const qint64 day = t->date().toJulianDay();
    auto offset = offsets.constFind(day);
    if (offset == offsets.cend())
        offset = offsets.insert(day, zone.offsetFromUtc(QDateTime(t->date(), QTime(12, 0), zone)));
    return t->addSecs(-*offset);
}

}  // namespace fenmor
