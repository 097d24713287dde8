#include "export/export_settings.h"

#include <QSettings>

namespace fenmor {
namespace {

const QString kCharset = QStringLiteral("Export/Charset");
const QString kIcs = QStringLiteral("Export/ICalendar");
const QString kVcf = QStringLiteral("Export/VCard");
const QString kVersion = QStringLiteral("Export/VCardVersion");
const QString kTimeZone = QStringLiteral("Export/TimeZone");

}  // namespace

std::optional<OutputFile::Charset> CharsetByName(const QString& name) {
    const QString n = name.trimmed().toLower();
    if (n == u"cp932" || n == u"shift-jis" || n == u"shift_jis")
        return OutputFile::Charset::ShiftJis;
    if (n == u"utf-8" || n == u"utf8") return OutputFile::Charset::Utf8;
    if (n == u"utf-8-bom" || n == u"utf8-bom") return OutputFile::Charset::Utf8WithBom;
    return std::nullopt;
}

QString CharsetName(OutputFile::Charset charset) {
    switch (charset) {
        case OutputFile::Charset::Utf8:
            return QStringLiteral("utf-8");
        case OutputFile::Charset::Utf8WithBom:
            return QStringLiteral("utf-8-bom");
        default:
            return QStringLiteral("cp932");
    }
}

std::optional<TimeMode> TimeModeByName(const QString& name) {
    const QString n = name.trimmed().toLower();
    if (n == u"floating") return TimeMode::Floating;
    if (n == u"system") return TimeMode::SystemZone;
    return std::nullopt;
}

QString TimeModeName(TimeMode mode) {
    return mode == TimeMode::SystemZone ? QStringLiteral("system") : QStringLiteral("floating");
}

ExportSettings LoadExportSettings(const QString& iniPath) {
    const QSettings ini(iniPath, QSettings::IniFormat);
    ExportSettings s;
    s.charset = CharsetByName(ini.value(kCharset).toString()).value_or(s.charset);
    s.ics = ini.value(kIcs, s.ics).toBool();
    s.vcf = ini.value(kVcf, s.vcf).toBool();
    const int version = ini.value(kVersion, s.vcardVersion).toInt();
    if (version == 3 || version == 4) s.vcardVersion = version;
    s.timeMode = TimeModeByName(ini.value(kTimeZone).toString()).value_or(s.timeMode);
    return s;
}

bool SaveExportSettings(const QString& iniPath, const ExportSettings& s, QString* error) {
    QSettings ini(iniPath, QSettings::IniFormat);
    ini.setValue(kCharset, CharsetName(s.charset));
    ini.setValue(kIcs, s.ics);
    ini.setValue(kVcf, s.vcf);
    ini.setValue(kVersion, s.vcardVersion);
    ini.setValue(kTimeZone, TimeModeName(s.timeMode));
    ini.sync();
    if (ini.status() == QSettings::NoError) return true;
    if (error) *error = QStringLiteral("設定ファイルに書き込めません：") + iniPath;
    return false;
}

}  // namespace fenmor
