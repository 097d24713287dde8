// fenmor-convert: converts transfers captured to files, as the program converts them when
// they arrive on the serial line.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <csignal>
#include <cstdio>
#include <vector>

#include "app/config_file.h"
#include "app/option_set.h"
#include "core/converter_check.h"
#include "core/received_buffer.h"
#include "core/session.h"
#include "files/data_set.h"

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
            case Buttons::YesNo: return kNo;
            case Buttons::YesNoCancel: return kCancel;
            default: return kOk;
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
    ToolConfigHost(OptionSet& o, MessageService& m) : o_(o), m_(m) {}
    OptionSet& options() override { return o_; }
    MessageService& messages() override { return m_; }
    QString programFolder() const override { return QCoreApplication::applicationDirPath(); }

private:
    OptionSet& o_;
    MessageService& m_;
};

int UsageError(const QString& text) {
    WriteUtf8(stderr, QStringLiteral("fenmor-convert: ") + text + u'\n');
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("fenmor-convert"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Converts captured transfers into the files Fenmor writes for them."));
    parser.addHelpOption();
    const QCommandLineOption config("config", "Options from this Fenmor.CFG file.", "FILE");
    const QCommandLineOption out("out", "Output folder (txDF(0)).", "DIR");
    const QCommandLineOption now("now", "Clock for data-set starts: \"YYYY-MM-DD hh:mm:ss\".", "TIME");
    const QCommandLineOption block("block", "Bytes per receive event (default 512).", "N", "512");
    const QCommandLineOption list("list", "Print every line shown in the data list.");
    parser.addOptions({config, out, now, block, list});
    parser.addPositionalArgument("CAPTURE", "Captured transfer files, one transfer each.", "CAPTURE...");
    if (!parser.parse(QCoreApplication::arguments())) return UsageError(parser.errorText());
    if (parser.isSet("help")) {
        WriteUtf8(stdout, parser.helpText());
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
        if (!fixedNow.isValid()) return UsageError(QStringLiteral("--now needs \"YYYY-MM-DD hh:mm:ss\""));
    }
    const QStringList captures = parser.positionalArguments();
    if (captures.isEmpty()) return UsageError(QStringLiteral("no capture file given (see --help)"));
    std::vector<QByteArray> transfers;
    for (const QString& name : captures) {
        QFile f(name);
        if (!f.open(QIODevice::ReadOnly))
            return UsageError(QStringLiteral("cannot read ") + name + QStringLiteral(": ") + f.errorString());
        transfers.push_back(f.readAll());
    }

    OptionStore options;
    StderrMessages messages;
    options.setValue(Option::cobPT, 3);  // what a first start chooses
    options.setValue(Option::cobSP, 13);
    options.setText(Option::txDF0, WithFinalSeparator(QCoreApplication::applicationDirPath()));
    if (parser.isSet(config)) {
        const QString path = parser.value(config);
        if (!QFileInfo(path).isFile() || !QFile(path).open(QIODevice::ReadOnly))
            return UsageError(QStringLiteral("cannot read configuration ") + path);
        ToolConfigHost host(options, messages);
        ConfigState state;
        LoadConfig(host, state, path);
    }
    if (parser.isSet(out)) {
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

    StartReceiving(s);
    for (const QByteArray& bytes : transfers) {
        for (qsizetype at = 0; at < bytes.size() && !ended; at += blockSize)
            AppendReceivedData(s, bytes.mid(at, blockSize));
        if (ended) break;
        FinishTransfer(s);
    }
    std::fflush(stdout);
    return ended ? 1 : 0;
}
