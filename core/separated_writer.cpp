#include "core/separated_writer.h"

#include "core/date_format.h"
#include "core/received_buffer.h"
#include "core/run_failures.h"

namespace fenmor {
namespace {

const QString kTime = QStringLiteral("TIME");

}  // namespace

const QString& FieldMaskOf(const QString& kindCode) {
    static const QString kMA = QStringLiteral("000101011111111111111111111112#");
    static const QString kMR = QStringLiteral("000101011102#");
    static const QString kMT = QStringLiteral("0001010111112#");
    static const QString kPA = QStringLiteral("0011111111112#");
    static const QString kPN = QStringLiteral("0011111111111111112#");
    static const QString kPT = QStringLiteral("00111112#");
    static const QString kOther = QStringLiteral("0001000111112#");
    if (kindCode == u"MA") return kMA;
    if (kindCode == u"MR" || kindCode == u"MF") return kMR;
    if (kindCode == u"MT") return kMT;
    if (kindCode == u"PA") return kPA;
    if (kindCode == u"PN") return kPN;
    if (kindCode == u"PT") return kPT;
    return kOther;
}

void WriteSeparatedRecord(Session& s) {
    const bool comma = s.opt.value(Option::opCSV) == 0;
    const QString separator = comma ? QStringLiteral(",") : QStringLiteral("\t");
    const QString quote = comma ? QStringLiteral("\"") : QString();
    const QString& mask = FieldMaskOf(s.zKINO);
    const QString dateFormat = s.opt.text(Option::txYMD2);

    QString line;
    line.reserve(256);
    for (int k = 1; k <= 30 && k <= mask.size(); ++k) {
        const QChar m = mask[k - 1];
        const bool time = s.FieldTypes[k] == kTime;
        if (m == u'0' && !time) continue;
        QString value = s.DataRecord[k];
        // Date fields are formatted even where the mask leaves them out: a bad date shows.
        if (time) value = zDF(s, value, dateFormat, k == 4 ? 9 : 0);
        if (m == u'#') break;
        if (m == u'0') continue;
        line.append(quote).append(value).append(quote);
        if (m == u'2') break;
        line.append(separator);
    }
    if (s.nFR2 && !s.nFR2->writeLine(line)) {
        AbandonOutputFile(s, s.nFR2->errorText());
        return;
    }
    ScrollListToEnd(s, line);
}

}  // namespace fenmor
