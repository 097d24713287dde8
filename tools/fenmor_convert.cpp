// fenmor-convert: converts transfers captured to files, as the program converts them when
// they arrive on the serial line.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <utility>
#include <vector>

#include "core/converter_check.h"
#include "core/data_set.h"
#include "core/option_set.h"
#include "core/received_buffer.h"
#include "core/session.h"
#include "dav/dav_state.h"
#include "export/exporter.h"
#include "locations/app_locations.h"
#include "reconvert/saved_transfer.h"
#include "settings/config_file.h"
#include "tools/upload.h"

namespace {

using namespace fenmor;

void WriteUtf8(std::FILE* to, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), to);
}

// Every box goes to stderr and is answered as a user who declines would answer it.
class StderrMessages final : public MessageService {
  public:
    short show(const QString& text, Buttons buttons, Icon, const QString& title) override {
        WriteUtf8(stderr, u'[' + (title.isEmpty() ? kAppTitle : title) + QStringLiteral("] ") +
                              text + u'\n');
        switch (buttons) {
            case Buttons::YesNo:
                return kNo;
            case Buttons::YesNoCancel:
                return kCancel;
            default:
                return kOk;
        }
    }
};

class PrintedList final : public DataList {
  public:
    explicit PrintedList(bool print) : print_(print) {}
    void clear() override {}
    void append(const QString& line) override {
        if (print_) WriteUtf8(stdout, line + u'\n');
    }

  private:
    bool print_;
};

class SilentStatus final : public StatusLabel {
  public:
    void setText(const QString&, bool) override {}
};

class ToolConfigHost final : public ConfigHost {
  public:
    ToolConfigHost(OptionSet& o, MessageService& m, QString output)
        : o_(o), m_(m), output_(std::move(output)) {}
    OptionSet& options() override { return o_; }
    MessageService& messages() override { return m_; }
    QString programFolder() const override { return QCoreApplication::applicationDirPath(); }
    QString firstStartOutputFolder() const override { return output_; }

  private:
    OptionSet& o_;
    MessageService& m_;
    QString output_;
};

// An installed copy writes into the current folder; one run from its build folder beside itself.
QString DefaultOutputFolder() {
    if (ResolveLocations(QCoreApplication::applicationDirPath()).installed)
        return QDir::currentPath();
    return QCoreApplication::applicationDirPath();
}

void UsageProblem(const QString& text) {
    WriteUtf8(stderr, QStringLiteral("fenmor-convert: ") + text + u'\n');
}

// One line per column: kind, column, type or tag, title, meaning, why.
void PrintColumns(const std::vector<ColumnReport>& columns) {
    for (const ColumnReport& c : columns)
        WriteUtf8(stdout, QStringList{c.kind, QString::number(c.column), MapField(c.name),
                                      MapField(c.title), MeaningName(c.meaning), WhyName(c.why)}
                                  .join(u'\t') +
                              u'\n');
}

int UsageError(const QString& text) {
    WriteUtf8(stderr, QStringLiteral("fenmor-convert: ") + text + u'\n');
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("fenmor-convert"));
    QCoreApplication::setApplicationVersion(QStringLiteral(FENMOR_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Converts captured transfers into the files Fenmor writes for them."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption config("config", "Options from this Fenmor.CFG file.", "FILE");
    const QCommandLineOption out("out",
                                 "Output folder (txDF(0)). Default: the current folder; beside the "
                                 "program when it runs from its build folder.",
                                 "DIR");
    const QCommandLineOption now("now", "Clock for data-set starts: \"YYYY-MM-DD hh:mm:ss\".",
                                 "TIME");
    const QCommandLineOption block("block", "Bytes per receive event (default 512).", "N", "512");
    const QCommandLineOption list("list", "Print every line shown in the data list.");
    parser.addOptions({config, out, now, block, list});
    const QCommandLineOption encoding("encoding",
                                      "Text files in cp932 (default), utf-8 or utf-8-bom.", "NAME");
    const QCommandLineOption ics("ics",
                                 "Also write schedules and action lists as iCalendar (.ics).");
    const QCommandLineOption vcf("vcf", "Also write address books as vCard (.vcf).");
    const QCommandLineOption vcardVersion("vcard-version", "vCard version 4 (default) or 3.", "N");
    const QCommandLineOption timeZone("time-zone",
                                      "Times in the .ics: floating (default) or system.", "MODE");
    parser.addOptions({encoding, ics, vcf, vcardVersion, timeZone});
    const QCommandLineOption columns(
        "columns",
        "Print each data set's columns (kind, column, type or tag, title, meaning, why) instead "
        "of writing files.");
    const QCommandLineOption columnMap(
        "column-map", "Meanings for columns, in lines as --columns prints them.", "FILE");
    parser.addOptions({columns, columnMap});
    const UploadOptions uploadOptions;
    uploadOptions.addTo(parser);
    parser.addPositionalArgument("CAPTURE",
                                 "Captured transfer files, one transfer each; a name ending in "
                                 "\".rcv\" is read as a raw-data file.",
                                 "CAPTURE...");
    if (!parser.parse(QCoreApplication::arguments())) return UsageError(parser.errorText());
    if (parser.isSet("help")) {
        WriteUtf8(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet("version")) {
        WriteUtf8(
            stdout,
            QStringLiteral("fenmor-convert %1\n").arg(QCoreApplication::applicationVersion()));
        return 0;
    }
    if (const QString problem = ConverterProblem(); !problem.isEmpty()) return UsageError(problem);
    std::signal(SIGXFSZ, SIG_IGN);  // a file-size limit is then a reported write failure
    bool ok = false;
    const qsizetype blockSize = parser.value(block).toLongLong(&ok);
    if (!ok || blockSize < 1) return UsageError(QStringLiteral("--block needs a positive number"));
    QDateTime fixedNow;
    if (parser.isSet(now)) {
        fixedNow = QDateTime::fromString(parser.value(now), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!fixedNow.isValid())
            return UsageError(QStringLiteral("--now needs \"YYYY-MM-DD hh:mm:ss\""));
    }
    ExportSettings exportSettings;
    if (parser.isSet(encoding)) {
        const auto charset = CharsetByName(parser.value(encoding));
        if (!charset)
            return UsageError(QStringLiteral("--encoding needs cp932, utf-8 or utf-8-bom"));
        exportSettings.charset = *charset;
    }
    exportSettings.ics = parser.isSet(ics);
    exportSettings.vcf = parser.isSet(vcf);
    if (parser.isSet(vcardVersion)) {
        const QString v = parser.value(vcardVersion);
        if (v != u"3" && v != u"4")
            return UsageError(QStringLiteral("--vcard-version needs 3 or 4"));
        exportSettings.vcardVersion = v.toInt();
    }
    if (parser.isSet(timeZone)) {
        const auto mode = TimeModeByName(parser.value(timeZone));
        if (!mode) return UsageError(QStringLiteral("--time-zone needs floating or system"));
        exportSettings.timeMode = *mode;
    }
    DavAccount account;
    if (const QString problem =
            UploadAccount(parser, uploadOptions, exportSettings.ics || exportSettings.vcf, account);
        !problem.isEmpty())
        return UsageError(problem);
    const QStringList captures = parser.positionalArguments();
    if (captures.isEmpty()) return UsageError(QStringLiteral("no capture file given (see --help)"));
    std::vector<SavedTransfer> transfers;
    for (const QString& name : captures) {
        transfers.push_back(ReadSavedTransfer(name));
        if (!transfers.back().error.isEmpty()) return UsageError(transfers.back().error);
    }
    const bool upload = parser.isSet(uploadOptions.upload);
    if (upload) {
        if (const QString problem = UploadPassword(parser, uploadOptions, account);
            !problem.isEmpty())
            return UsageError(problem);
    }

    OptionStore options;
    StderrMessages messages;
    options.setValue(Option::cobPT, 3);  // what a first start chooses
    options.setValue(Option::cobSP, 13);
    const QString defaultOutput = DefaultOutputFolder();
    options.setText(Option::txDF0, WithFinalSeparator(defaultOutput));
    if (parser.isSet(config)) {
        const QString path = parser.value(config);
        if (!QFileInfo(path).isFile() || !QFile(path).open(QIODevice::ReadOnly))
            return UsageError(QStringLiteral("cannot read configuration ") + path);
        ToolConfigHost host(options, messages, defaultOutput);
        ConfigState state;
        LoadConfig(host, state, path);
    }
    // Columns are shown from a conversion into a folder of its own, removed afterwards.
    QTemporaryDir scratch;
    const bool showColumns = parser.isSet(columns);
    if (showColumns) {
        if (!scratch.isValid()) return UsageError(QStringLiteral("no temporary folder"));
        exportSettings.ics = exportSettings.vcf = true;
        options.setText(Option::txDF0,
                        WithFinalSeparator(QDir::toNativeSeparators(scratch.path())));
    } else if (parser.isSet(out)) {
        const QString dir = QDir(parser.value(out)).absolutePath();
        QDir().mkpath(dir);
        options.setText(Option::txDF0, WithFinalSeparator(QDir::toNativeSeparators(dir)));
    }

    PrintedList shown(parser.isSet(list));
    SilentStatus status;
    Session s(options, messages, shown, status);
    if (fixedNow.isValid()) s.now = [fixedNow] { return fixedNow; };
    bool ended = false;
    s.endProgram = [&ended] { ended = true; };
    s.zDEF = WithFinalSeparator(options.text(Option::txDF0));
    s.zFMT = options.text(Option::txYMD);
    Exporter exporter(exportSettings);
    s.exports = &exporter;
    if (parser.isSet(columnMap)) {
        ColumnMap map = ReadColumnMap(parser.value(columnMap));
        for (const QString& problem : map.problems) UsageProblem(problem);
        exporter.setColumnMap(std::move(map));
    }

    // A transfer that gave no record, or a file not written, is a failure: said, and exit 1.
    bool failed = false;
    QStringList written;
    for (const SavedTransfer& t : transfers) {
        if (!ConvertSavedTransfer(s, t, blockSize)) break;
        written << exporter.written();
        if (showColumns) PrintColumns(exporter.columns());
        if (s.failures.nothingReadable())
            WriteUtf8(stderr, QStringLiteral("fenmor-convert: ") + t.path + QStringLiteral(": ") +
                                  NothingReadableText(
                                      s.failures.bytes(),
                                      kSpeedNames.value(options.value(Option::cobSP)), t.path)
                                      .replace(kCrLf, QStringLiteral(" ")) +
                                  u'\n');
        failed = failed || s.failures.nothingReadable() || !s.failures.allWritten();
    }
    std::fflush(stdout);
    if (parser.isSet(columnMap))
        for (const QString& problem :
             UnusedEntries(ReadColumnMap(parser.value(columnMap)), parser.value(columnMap),
                           exporter.mapLinesUsed(), exporter.mapLinesFixed()))
            UsageProblem(problem);
    if (showColumns) return ended ? 1 : 0;
    if (ended || failed) {
        if (upload)
            WriteUtf8(stderr,
                      QStringLiteral("fenmor-convert: nothing sent: the conversion failed\n"));
        return 1;
    }
    if (!upload) return 0;
    return Upload(
        account, written,
        DefaultStatePath(ResolveLocations(QCoreApplication::applicationDirPath()).dataFolder));
}
