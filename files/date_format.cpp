#include "files/date_format.h"

#include <cmath>

#include "core/text_util.h"
#include "files/date_pattern.h"

namespace fenmor {

QString zDF(Session& s, QString& value, const QString& pattern, double hours) {
    value = TrimRightSpaces(value);
    if (!IsNumericText(value)) return value;
    std::optional<QDateTime> t = ReadDigitDateTime(value);
    if (!t) {
        s.zMS = QStringLiteral("zDF/予期しないエラー ＃13 が発生しました！  型が一致しません。");
        s.message(s.zMS, Buttons::Ok, Icon::None, QStringLiteral("エラー"));
        return {};
    }
    if (hours != 0) *t = t->addSecs(std::llround(hours * 3600.0));
    return FormatDatePattern(t->date(), t->time(), pattern);
}

}  // namespace fenmor
