// fenmor-convert's --upload.
#include "tools/upload.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "dav/dav_sender.h"

#if __has_include("dav/password_store.h")
#include "dav/password_store.h"
#define FENMOR_HAS_KEYRING 1
#endif

namespace fenmor {
namespace {

void Say(std::FILE* to, const QString& text) {
    const QByteArray bytes = (text + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), to);
}

QString KeyringPassword(const DavAccount& account) {
#ifdef FENMOR_HAS_KEYRING
    PasswordStore store;
    QEventLoop loop;
    QString password;
    QObject::connect(&store, &PasswordStore::readDone, &loop,
                     [&](bool answered, const QString& found) {
                         if (answered) password = found;
                         loop.quit();
                     });
    store.read(account.url.toString(), account.user);
    loop.exec();
    return password;
#else
    Q_UNUSED(account);
    return {};
#endif
}

}  // namespace

QString UploadAccount(const QCommandLineParser& parser, const UploadOptions& o, bool exports,
                      DavAccount& account) {
    if (!parser.isSet(o.upload)) {
        for (const auto* other : {&o.user, &o.passwordFile, &o.calendar, &o.tasks, &o.addressbook,
                                  &o.trust, &o.parallel})
            if (parser.isSet(*other))
                return QStringLiteral("--%1 goes with --upload").arg(other->names().front());
        return {};
    }
    if (!exports) return QStringLiteral("--upload sends the items of --ics and --vcf: give either");
    if (!parser.isSet(o.user)) return QStringLiteral("--upload needs --user NAME");
    account.url = QUrl(parser.value(o.upload), QUrl::StrictMode);
    account.user = parser.value(o.user);
    const std::pair<const QCommandLineOption*, QUrl*> collections[] = {
        {&o.calendar, &account.calendar},
        {&o.tasks, &account.tasks},
        {&o.addressbook, &account.addressbook}};
    for (const auto& [option, url] : collections) {
        if (!parser.isSet(*option)) continue;
        *url = account.url.resolved(QUrl(parser.value(*option)));
        if (!OnAccountServer(account, *url))
            return QStringLiteral("--%1 must be on the server of --upload")
                .arg(option->names().front());
    }
    if (parser.isSet(o.trust)) {
        account.trustedFingerprint = NormalFingerprint(parser.value(o.trust));
        if (account.trustedFingerprint.isEmpty())
            return QStringLiteral(
                "--trust-fingerprint needs a SHA-256 fingerprint (64 hex digits)");
    }
    if (parser.isSet(o.parallel)) {
        bool number = false;
        account.parallel = parser.value(o.parallel).toInt(&number);
        if (!number || account.parallel < 1 || account.parallel > 16)
            return QStringLiteral("--parallel needs a number from 1 to 16");
    }
    // The converter asks nothing: plain http to another computer is refused, not confirmed.
    return AccountUrlProblem(account);
}

QString UploadPassword(const QCommandLineParser& parser, const UploadOptions& o,
                       DavAccount& account) {
    account.password = KeyringPassword(account);
    if (!account.password.isEmpty()) return {};
    if (!parser.isSet(o.passwordFile))
        return QStringLiteral("no password for %1 on %2 in the keyring: give --password-file FILE")
            .arg(account.user, account.url.host());
    const QString path = parser.value(o.passwordFile);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
    const auto others = QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (file.permissions() & others)
        return QStringLiteral("%1 can be read by other users: make it yours alone (chmod 600)")
            .arg(path);
    QByteArray line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
    account.password = QString::fromUtf8(line);
    if (account.password.isEmpty()) return QStringLiteral("%1 holds no password").arg(path);
    return {};
}

int Upload(const DavAccount& account, const QStringList& files, const QString& stateFile) {
    QString error;
    std::vector<DavItem> items = ItemsOfFiles(files, &error);
    const QString where = QStringLiteral("%1 as %2").arg(account.url.toString(), account.user);
    if (!error.isEmpty()) {
        Say(stderr, QStringLiteral("fenmor-convert: upload: ") + error);
        return 1;
    }
    DavSender sender(account, stateFile);
    DavOutcome outcome;
    QEventLoop loop;
    QObject::connect(&sender, &DavSender::finished, &loop, [&](const DavOutcome& o) {
        outcome = o;
        loop.quit();
    });
    sender.send(std::move(items));
    loop.exec();

    Say(stdout, outcome.line());
    std::fflush(stdout);
    const QString prefix = QStringLiteral("fenmor-convert: upload to ") + where + u':';
    if (!outcome.fatal.isEmpty()) Say(stderr, prefix + u' ' + outcome.fatal);
    if (!outcome.untrustedFingerprint.isEmpty())
        Say(stderr, QStringLiteral("fenmor-convert: to trust it: --trust-fingerprint ") +
                        outcome.untrustedFingerprint);
    for (const QString& f : outcome.failures) Say(stderr, prefix + QStringLiteral(" failed: ") + f);
    for (const DavConflict& c : outcome.conflicts)
        Say(stderr,
            prefix +
                QStringLiteral(" conflict, the server's copy kept: %1\n  PDA:    %2\n  "
                               "server: %3")
                    .arg(c.resource.toString(), MainFields(c.pda.body), MainFields(c.serverBody)));
    if (!outcome.missing.isEmpty()) {
        constexpr int kNamed = 20;
        Say(stderr, prefix +
                        QStringLiteral(" %1 items sent before are not in this transfer and "
                                       "stay on the server: ")
                            .arg(outcome.missing.size()) +
                        outcome.missing.mid(0, kNamed).join(QStringLiteral(", ")) +
                        (outcome.missing.size() > kNamed ? QStringLiteral(", …") : QString()));
    }
    for (const QString& n : outcome.notes) Say(stderr, prefix + u' ' + n);
    if (!outcome.fatal.isEmpty() || outcome.failed > 0) return 1;
    return outcome.conflicts.empty() ? 0 : 3;
}

}  // namespace fenmor
