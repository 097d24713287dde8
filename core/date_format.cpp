#include "core/date_format.h"

#include <cmath>

#include "core/date_pattern.h"
#include "core/run_time_errors.h"
#include "core/text_util.h"

namespace fenmor {
namespace {

// A failing step: the message, and the empty text for the caller to go on with.
QString Failed(Session& s, const RunTimeError& e) {
    s.zMS = QStringLiteral("zDF/予期しないエラー ＃") + QString::number(e.number) +
            QStringLiteral(" が発生しました！  ") + e.text();
    s.message(s.zMS, Buttons::Ok, Icon::None, QStringLiteral("エラー"));
    return {};
}

}  // namespace

QString zDF(Session& s, QString& value, const QString& pattern, double hours) {
    value = TrimRightSpaces(value);
    if (!IsNumericText(value)) return value;
    std::optional<QDateTime> t = ReadDigitDateTime(value);
    if (!t) return Failed(s, errors::kTypeMismatch);
    if (hours != 0) *t = t->addSecs(std::llround(hours * 3600.0));
    // The date type holds the years 100 to 9999: a shift beyond them fails, as a bad date does.
    if (t->date().year() < 100 || t->date().year() > 9999) return Failed(s, errors::kInvalidCall);
    return FormatDatePattern(t->date(), t->time(), pattern);
}

}  // namespace fenmor
