// Whether an account's URL may be used, and fingerprints in one spelling.
#include "dav/dav_account.h"

#include <QHostAddress>
#include <QRegularExpression>

namespace fenmor {

namespace {

bool OnThisComputer(const QUrl& url) {
    const QString host = url.host().toLower();
    if (host == u"localhost" || host.endsWith(u".localhost")) return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

}  // namespace

bool NeedsPlainHttpConfirmation(const QUrl& url) {
    return url.scheme().toLower() == u"http" && !OnThisComputer(url);
}

int PutsAtOnce(const DavAccount& account) {
    if (account.parallel > 0) return account.parallel;
    return OnThisComputer(account.url) ? 1 : 4;
}

QString AccountUrlProblem(const DavAccount& account) {
    const QString scheme = account.url.scheme().toLower();
    if (!account.url.isValid() || account.url.host().isEmpty() ||
        (scheme != u"http" && scheme != u"https"))
        return QStringLiteral("%1 is not an http:// or https:// server address")
            .arg(account.url.toString());
    if (NeedsPlainHttpConfirmation(account.url) && !account.plainHttpConfirmed)
        return QStringLiteral(
                   "%1 is plain http:// to a host that is not this computer: the password and the "
                   "data would travel unencrypted; use https://")
            .arg(account.url.toString());
    return {};
}

bool OnAccountServer(const DavAccount& account, const QUrl& url) {
    const auto port = [](const QUrl& u) {
        return u.port(u.scheme().compare(u"https", Qt::CaseInsensitive) == 0 ? 443 : 80);
    };
    return url.scheme().compare(account.url.scheme(), Qt::CaseInsensitive) == 0 &&
           url.host().compare(account.url.host(), Qt::CaseInsensitive) == 0 &&
           port(url) == port(account.url);
}

QString NormalFingerprint(const QString& text) {
    QString hex = text.toUpper();
    hex.remove(QRegularExpression(QStringLiteral("[:\\s]")));
    if (hex.startsWith(u"SHA256")) hex = hex.mid(6);
    if (!QRegularExpression(QStringLiteral("^[0-9A-F]{64}$")).match(hex).hasMatch()) return {};
    QStringList pairs;
    for (int i = 0; i < 64; i += 2) pairs << hex.mid(i, 2);
    return pairs.join(u':');
}

}  // namespace fenmor
