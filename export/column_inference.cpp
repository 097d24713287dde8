#include "export/column_inference.h"

#include <QRegularExpression>
#include <QSet>

#include "export/columns.h"

namespace fenmor {
namespace {

enum class Shape { Other, Phone, Mail, PostalCode, Url, Date8, DateTime, Flag, SmallNumber };

QString Plain(const QString& v) { return v.normalized(QString::NormalizationForm_KC).trimmed(); }

bool IsDigits(const QString& v) {
    if (v.isEmpty()) return false;
    for (const QChar c : v)
        if (c < u'0' || c > u'9') return false;
    return true;
}

Shape ShapeOf(const QString& value) {
    static const QRegularExpression phone(QStringLiteral("^\\+?[0-9][0-9()\\- ]{5,}[0-9]$"));
    static const QRegularExpression mail(QStringLiteral("^[^@\\s]+@[^@\\s]+\\.[^@\\s]+$"));
    static const QRegularExpression postal(QStringLiteral("^〒?[0-9]{3}-[0-9]{4}$"));
    static const QRegularExpression url(QStringLiteral("^(https?://|www\\.)\\S+$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QString v = Plain(value);
    if (v == u"0" || v == u"1") return Shape::Flag;
    if (IsDigits(v) && PdaDigits(v)) return v.size() == 8 ? Shape::Date8 : Shape::DateTime;
    if (IsDigits(v) && v.size() <= 6) return Shape::SmallNumber;
    if (postal.match(v).hasMatch()) return Shape::PostalCode;
    if (mail.match(v).hasMatch()) return Shape::Mail;
    if (url.match(v).hasMatch()) return Shape::Url;
    if (phone.match(v).hasMatch()) {
        qsizetype digits = 0;
        for (const QChar c : v) digits += c.isDigit() ? 1 : 0;
        if (digits >= 9 && digits <= 15 && (v.contains(u'-') || v[0] == u'0' || v[0] == u'+'))
            return Shape::Phone;
    }
    return Shape::Other;
}

// The shape every value has, Other when they differ or there is none. Flags are small numbers.
Shape CommonShape(const QStringList& values) {
    if (values.isEmpty()) return Shape::Other;
    Shape common = ShapeOf(values.first());
    for (const QString& v : values) {
        const Shape s = ShapeOf(v);
        if (s == common) continue;
        if ((s == Shape::Flag || s == Shape::SmallNumber) &&
            (common == Shape::Flag || common == Shape::SmallNumber)) {
            common = Shape::SmallNumber;
            continue;
        }
        return Shape::Other;
    }
    return common;
}

bool Claimed(const ColumnChoices& c, Meaning m) {
    for (int k = 2; k <= 31; ++k)
        if (c[k].meaning == m) return true;
    return false;
}

bool Distinct(const QStringList& values) {
    QSet<qlonglong> seen;
    for (const QString& v : values)
        if (seen.contains(Plain(v).toLongLong()))
            return false;
        else
            seen.insert(Plain(v).toLongLong());
    return true;
}

// The meaning a column of one shape takes in this list, where that meaning is still free.
Meaning ByShape(ListKind list, const ColumnChoices& c, Shape shape) {
    const auto firstFree = [&c](std::initializer_list<Meaning> ms) {
        for (Meaning m : ms)
            if (!Claimed(c, m)) return m;
        return Meaning::Unknown;
    };
    const bool cards = list == ListKind::AddressBook;
    switch (shape) {
        case Shape::Phone:
            return cards ? Meaning::Phone : Meaning::Unknown;
        case Shape::Mail:
            return cards ? Meaning::Mail : Meaning::Unknown;
        case Shape::Url:
            return cards ? Meaning::Url : Meaning::Unknown;
        case Shape::PostalCode:
            return cards ? firstFree({Meaning::PostalCode, Meaning::HomePostalCode})
                         : Meaning::Unknown;
        case Shape::DateTime:
            return firstFree({Meaning::UpdateTime});
        case Shape::Date8:
            return cards                          ? firstFree({Meaning::Birthday})
                   : list == ListKind::ActionList ? firstFree({Meaning::Due, Meaning::Completed})
                                                  : Meaning::Unknown;
        default:
            return Meaning::Unknown;
    }
}

bool IsAlarm(Meaning m) { return m == Meaning::AlarmMinutes || m == Meaning::AlarmOn; }

// Two alarm columns, one of 0 and 1 only: that one is the switch, the other the minutes,
// whichever way their names read. A column no name explains, beside an alarm column, counts.
void SettleAlarm(ColumnChoices& c, const ColumnSamples& samples) {
    int flag = 0, minutes = 0, named = 0;
    for (int k = 2; k <= 31; ++k) {
        const bool beside = c[k].meaning == Meaning::Unknown &&
                            (IsAlarm(c[k - 1].meaning) || (k < 31 && IsAlarm(c[k + 1].meaning)));
        if (!IsAlarm(c[k].meaning) && !beside) continue;
        named += beside ? 0 : 1;
        const Shape s = CommonShape(samples[k]);
        if (s == Shape::Flag)
            flag = flag ? -1 : k;
        else if (s == Shape::SmallNumber)
            minutes = minutes ? -1 : k;
    }
    if (named == 0 || flag <= 0 || minutes <= 0) return;
    if (c[flag].why == Why::User || c[minutes].why == Why::User) return;
    if (c[flag].meaning != Meaning::AlarmOn) c[flag] = {Meaning::AlarmOn, Why::Values};
    if (c[minutes].meaning != Meaning::AlarmMinutes)
        c[minutes] = {Meaning::AlarmMinutes, Why::Values};
}

}  // namespace

void SettleByValues(ListKind list, ColumnChoices& c, const ColumnSamples& samples, int firstSlot) {
    if (list == ListKind::Schedule) SettleAlarm(c, samples);
    for (int k = 2; k <= 31; ++k) {
        if (c[k].meaning != Meaning::Unknown || c[k].why == Why::User) continue;
        const Shape shape = CommonShape(samples[k]);
        Meaning m = ByShape(list, c, shape);
        if (shape == Shape::Flag && list == ListKind::Schedule &&
            (c[k - 1].meaning == Meaning::AlarmMinutes ||
             (k < 31 && c[k + 1].meaning == Meaning::AlarmMinutes)) &&
            !Claimed(c, Meaning::AlarmOn))
            m = Meaning::AlarmOn;
        if ((shape == Shape::SmallNumber || shape == Shape::Flag) && k == firstSlot &&
            Distinct(samples[k]) && !Claimed(c, Meaning::RecordNumber))
            m = Meaning::RecordNumber;
        if (m != Meaning::Unknown) c[k] = {m, Why::Values};
    }
}

}  // namespace fenmor
