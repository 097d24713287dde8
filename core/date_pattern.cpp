#include "core/date_pattern.h"

#include <QHash>
#include <QStringList>
#include <QStringView>
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "core/text_util.h"

namespace fenmor {
namespace {

// ---------------------------------------------------------------------------
// Pattern tokens

enum class Kind {
    Text,
    Year,
    Month,
    Day,
    Hour,
    Minute,
    Second,
    Week,
    Quarter,
    JapaneseDay,
    Marker,
};

struct Token {
    Kind kind = Kind::Text;
    int width = 0;  // run length of the token's letter
    QString text;   // literal text, or the marker as written ("AM/PM", "a/p")
};

std::optional<Kind> LetterKind(QChar c) {
    switch (c.toLower().unicode()) {
        case 'y':
            return Kind::Year;
        case 'm':
            return Kind::Month;
        case 'd':
            return Kind::Day;
        case 'h':
            return Kind::Hour;
        case 'n':
            return Kind::Minute;
        case 's':
            return Kind::Second;
        case 'w':
            return Kind::Week;
        case 'q':
            return Kind::Quarter;
        default:
            return std::nullopt;
    }
}

// The longest token a run of one letter starts with; the rest of the run
// becomes further tokens ("yyy" is yy then y).
int TokenWidth(Kind kind, qsizetype run) {
    switch (kind) {
        case Kind::Year:
            return run >= 4 ? 4 : static_cast<int>(std::min<qsizetype>(run, 2));
        case Kind::Month:
        case Kind::Day:
            return static_cast<int>(std::min<qsizetype>(run, 4));
        case Kind::Quarter:
            return 1;
        default:
            return static_cast<int>(std::min<qsizetype>(run, 2));
    }
}

bool HasLetter(QStringView text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

class Tokenizer {
  public:
    explicit Tokenizer(const QString& pattern) : pattern_(pattern) {}

    std::vector<Token> Run() {
        while (pos_ < pattern_.size()) {
            if (!ReadQuoted() && !ReadEscaped() && !ReadJapaneseDay() && !ReadMarker() &&
                !ReadField()) {
                AddText(Rest().first(1));
                ++pos_;
            }
        }
        return std::move(tokens_);
    }

  private:
    QStringView Rest() const { return QStringView(pattern_).sliced(pos_); }

    bool ReadQuoted() {
        if (pattern_[pos_] != u'"') return false;
        qsizetype end = pattern_.indexOf(u'"', pos_ + 1);
        if (end < 0) end = pattern_.size();  // an open quote runs to the end
        AddText(QStringView(pattern_).sliced(pos_ + 1, end - pos_ - 1));
        pos_ = end + 1;
        return true;
    }

    bool ReadEscaped() {
        if (pattern_[pos_] != u'\\') return false;
        if (pos_ + 1 < pattern_.size()) AddText(Rest().sliced(1, 1));
        pos_ += 2;  // a lone backslash at the end is dropped
        return true;
    }

    bool ReadJapaneseDay() {
        for (const int width : {4, 3}) {
            if (Rest().startsWith(QStringView(u"aaaa").first(width), Qt::CaseInsensitive)) {
                Add(Kind::JapaneseDay, width);
                pos_ += width;
                return true;
            }
        }
        return false;
    }

    bool ReadMarker() {
        for (const QStringView marker : {QStringView(u"am/pm"), QStringView(u"a/p")}) {
            if (Rest().startsWith(marker, Qt::CaseInsensitive)) {
                Add(Kind::Marker, 0, Rest().first(marker.size()).toString());
                pos_ += marker.size();
                return true;
            }
        }
        return false;
    }

    bool ReadField() {
        const QChar letter = pattern_[pos_];
        const std::optional<Kind> kind = LetterKind(letter);
        if (!kind) return false;
        qsizetype run = 1;
        while (pos_ + run < pattern_.size() && pattern_[pos_ + run].toLower() == letter.toLower()) {
            ++run;
        }
        const int width = TokenWidth(*kind, run);
        // "hh:mm" means minutes: m/mm right after an hour is the minute.
        const bool minute = *kind == Kind::Month && width <= 2 && afterHour_;
        Add(minute ? Kind::Minute : *kind, width);
        pos_ += width;
        return true;
    }

    void AddText(QStringView text) {
        if (HasLetter(text)) afterHour_ = false;
        if (!tokens_.empty() && tokens_.back().kind == Kind::Text) {
            tokens_.back().text += text;
        } else {
            tokens_.push_back({Kind::Text, 0, text.toString()});
        }
    }

    void Add(Kind kind, int width, QString text = {}) {
        afterHour_ = kind == Kind::Hour;
        tokens_.push_back({kind, width, std::move(text)});
    }

    const QString& pattern_;
    qsizetype pos_ = 0;
    bool afterHour_ = false;
    std::vector<Token> tokens_;
};

// ---------------------------------------------------------------------------
// Rendering

constexpr std::array<const char*, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};
constexpr std::array<const char16_t*, 7> kJapaneseDayNames = {
    u"日曜日", u"月曜日", u"火曜日", u"水曜日", u"木曜日", u"金曜日", u"土曜日"};

QString Padded(int value, int width) { return QString::number(value).rightJustified(width, u'0'); }

// 0 for Sunday through 6 for Saturday.
int SundayBasedDay(const QDate& date) { return date.dayOfWeek() % 7; }

// Weeks begin on Sunday and week 1 is the one holding 1 January, so the
// last days of a year can fall in week 53 or even 54.
int WeekOfYear(const QDate& date) {
    const int firstDay = SundayBasedDay(QDate(date.year(), 1, 1));
    return (date.dayOfYear() - 1 + firstDay) / 7 + 1;
}

QString Named(const char* name, int width) {
    const QString full = QString::fromLatin1(name);
    return width == 4 ? full : full.left(3);
}

QString RenderDate(const Token& token, const QDate& date) {
    switch (token.kind) {
        case Kind::Year:
            if (token.width == 1) return QString::number(date.dayOfYear());
            return token.width == 2 ? Padded(date.year() % 100, 2) : Padded(date.year(), 4);
        case Kind::Month:
            if (token.width >= 3) return Named(kMonthNames[date.month() - 1], token.width);
            return Padded(date.month(), token.width);
        case Kind::Day:
            if (token.width >= 3) return Named(kDayNames[SundayBasedDay(date)], token.width);
            return Padded(date.day(), token.width);
        case Kind::Week:
            return QString::number(token.width == 1 ? SundayBasedDay(date) + 1 : WeekOfYear(date));
        case Kind::Quarter:
            return QString::number((date.month() - 1) / 3 + 1);
        case Kind::JapaneseDay: {
            const QString name = QString::fromUtf16(kJapaneseDayNames[SundayBasedDay(date)]);
            return token.width == 4 ? name : name.left(1);
        }
        default:
            return token.text;
    }
}

QString RenderTime(const Token& token, const QTime& time, bool twelveHour) {
    switch (token.kind) {
        case Kind::Hour: {
            int hour = time.hour();
            if (twelveHour) hour = hour % 12 == 0 ? 12 : hour % 12;
            return Padded(hour, token.width);
        }
        case Kind::Minute:
            return Padded(time.minute(), token.width);
        case Kind::Second:
            return Padded(time.second(), token.width);
        case Kind::Marker: {
            // The marker is written as the pattern spells it: "AM" or "PM" of
            // "AM/PM", "a" or "p" of "a/p".
            const qsizetype slash = token.text.indexOf(u'/');
            return time.hour() < 12 ? token.text.left(slash) : token.text.mid(slash + 1);
        }
        default:
            return token.text;
    }
}

bool IsTimeKind(Kind kind) {
    return kind == Kind::Hour || kind == Kind::Minute || kind == Kind::Second ||
           kind == Kind::Marker;
}

struct ParsedPattern {
    std::vector<Token> tokens;
    bool twelveHour = false;  // any 12-hour marker switches every hour to the 12-hour clock
};

// Each pattern is parsed once: the patterns are a handful of options, formatted for every
// date field of a transfer. The cache starts afresh should many different patterns come.
const ParsedPattern& Parsed(const QString& pattern) {
    static QHash<QString, ParsedPattern> cache;
    auto it = cache.constFind(pattern);
    if (it != cache.constEnd()) return *it;
    if (cache.size() >= 64) cache.clear();
    ParsedPattern parsed;
    parsed.tokens = Tokenizer(pattern).Run();
    parsed.twelveHour = std::any_of(parsed.tokens.begin(), parsed.tokens.end(),
                                    [](const Token& t) { return t.kind == Kind::Marker; });
    return *cache.insert(pattern, std::move(parsed));
}

// ---------------------------------------------------------------------------
// Numeric text

bool IsAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Consumes digits (with commas between digits when allowed); returns how
// many digits were read.
int ReadDigits(QStringView text, qsizetype& pos, bool allowGrouping) {
    int digits = 0;
    while (pos < text.size()) {
        if (IsAsciiDigit(text[pos])) {
            ++digits;
            ++pos;
        } else if (allowGrouping && digits > 0 && text[pos] == u',' && pos + 1 < text.size() &&
                   IsAsciiDigit(text[pos + 1])) {
            ++pos;
        } else {
            break;
        }
    }
    return digits;
}

bool IsRadixNumber(QStringView text) {
    if (text.size() < 3 || text[0] != u'&') return false;
    const QChar radix = text[1].toUpper();
    if (radix != u'H' && radix != u'O') return false;
    return std::all_of(text.begin() + 2, text.end(), [radix](QChar c) {
        if (radix == u'O') return c >= u'0' && c <= u'7';
        return IsAsciiDigit(c) || (c.toUpper() >= u'A' && c.toUpper() <= u'F');
    });
}

bool IsDecimalNumber(QStringView text) {
    qsizetype pos = 0;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) ++pos;
    int digits = ReadDigits(text, pos, true);
    if (pos < text.size() && text[pos] == u'.') {
        ++pos;
        digits += ReadDigits(text, pos, false);
    }
    if (digits == 0) return false;
    if (pos < text.size() && (text[pos] == u'e' || text[pos] == u'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) ++pos;
        if (ReadDigits(text, pos, false) == 0) return false;
    }
    return pos == text.size();
}

// ---------------------------------------------------------------------------
// Digit-run dates

// A field of 1 to maxDigits ASCII digits whose value lies in [low, high].
std::optional<int> ReadNumberField(QStringView text, int maxDigits, int low, int high) {
    if (text.isEmpty() || text.size() > maxDigits ||
        !std::all_of(text.begin(), text.end(), IsAsciiDigit)) {
        return std::nullopt;
    }
    const int value = text.toInt();
    if (value < low || value > high) return std::nullopt;
    return value;
}

// The value cut into "yyyy/mm/dd[ hh:nn:[ss]]"; ranges past the end of the
// value give nothing, and missing seconds become "00".
QString DigitRunText(const QString& value) {
    QString text = value.mid(0, 4) + u'/' + value.mid(4, 2) + u'/' + value.mid(6, 2);
    if (value.size() > 8) text += u' ' + value.mid(8, 2) + u':' + value.mid(10, 2) + u':';
    if (value.size() > 12) text += value.mid(12, 2);
    if (text.endsWith(u':')) text += u"00";
    return text;
}

std::optional<QDate> ReadDateText(QStringView text) {
    const QList<QStringView> parts = text.split(u'/');
    if (parts.size() != 3) return std::nullopt;
    const auto year = ReadNumberField(parts[0], 4, 100, 9999);
    const auto month = ReadNumberField(parts[1], 2, 1, 12);
    const auto day = ReadNumberField(parts[2], 2, 1, 31);
    if (!year || !month || !day || !QDate::isValid(*year, *month, *day)) return std::nullopt;
    return QDate(*year, *month, *day);
}

std::optional<QTime> ReadTimeText(QStringView text) {
    const QList<QStringView> parts = text.split(u':');
    if (parts.size() != 3) return std::nullopt;
    const auto hour = ReadNumberField(parts[0], 2, 0, 23);
    const auto minute = ReadNumberField(parts[1], 2, 0, 59);
    const auto second = ReadNumberField(parts[2], 2, 0, 59);
    if (!hour || !minute || !second) return std::nullopt;
    return QTime(*hour, *minute, *second);
}

}  // namespace

QString FormatDatePattern(const QDate& date, const QTime& time, const QString& pattern) {
    if (!date.isValid()) return {};
    const QTime clock = time.isValid() ? time : QTime(0, 0);
    const ParsedPattern& parsed = Parsed(pattern);
    QString result;
    for (const Token& token : parsed.tokens) {
        result += IsTimeKind(token.kind) ? RenderTime(token, clock, parsed.twelveHour)
                                         : RenderDate(token, date);
    }
    return result;
}

bool IsNumericText(const QString& text) {
    const QStringView number = TrimSpaces(QStringView(text));  // spaces only, not tabs
    return IsRadixNumber(number) || IsDecimalNumber(number);
}

std::optional<QDateTime> ReadDigitDateTime(const QString& value) {
    const QString text = DigitRunText(value);
    const qsizetype space = text.indexOf(u' ');
    const auto date = ReadDateText(QStringView(text).first(space < 0 ? text.size() : space));
    if (!date) return std::nullopt;
    std::optional<QTime> time = QTime(0, 0);
    if (space >= 0) time = ReadTimeText(QStringView(text).sliced(space + 1));
    if (!time) return std::nullopt;
    // UTC, so that adding hours later never meets a daylight-saving gap.
    return QDateTime(*date, *time, Qt::UTC);
}

}  // namespace fenmor
