#include "tests/support/radicale_server.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>

#include "tests/support/window_support.h"

namespace fenmor::test {
namespace {

void Write(const QString& path, const QByteArray& text) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(text);
}

}  // namespace

RadicaleServer::RadicaleServer(const QString& user, const QString& password,
                               const QStringList& usersWithNothing)
    : user_(user) {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const int port = probe.serverPort();
    probe.close();
    const QString folder = folder_.path();
    const QString cal = folder + QStringLiteral("/store/collection-root/%1/cal").arg(user);
    QDir().mkpath(cal);
    Write(cal + QStringLiteral("/.Radicale.props"),
          R"({"tag": "VCALENDAR", "C:supported-calendar-component-set": "VEVENT,VTODO"})");
    QString users;
    for (const QString& name : QStringList{user} + usersWithNothing)
        users += name + u':' + password + u'\n';
    Write(folder + QStringLiteral("/users"), users.toUtf8());
    Write(folder + QStringLiteral("/config"),
          QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n[auth]\ntype = htpasswd\n"
                         "htpasswd_filename = %2/users\nhtpasswd_encryption = plain\n"
                         "[rights]\ntype = owner_only\n[storage]\nfilesystem_folder = %2/store\n"
                         "[logging]\nlevel = warning\n")
              .arg(port)
              .arg(folder)
              .toUtf8());
    process_.start(QStringLiteral("radicale"),
                   {QStringLiteral("--config"), folder + QStringLiteral("/config")});
    const bool up = WaitFor(
        [&] {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
            return s.waitForConnected(200);
        },
        10000);
    if (up) port_ = port;
}

RadicaleServer::~RadicaleServer() {
    process_.terminate();
    process_.waitForFinished();
}

QString RadicaleServer::url() const { return QStringLiteral("http://127.0.0.1:%1/").arg(port_); }

QString RadicaleServer::store() const {
    return folder_.path() + QStringLiteral("/store/collection-root");
}

QStringList RadicaleServer::stored() const {
    return QDir(store() + QStringLiteral("/%1/cal").arg(user_))
        .entryList({QStringLiteral("*.ics")}, QDir::Files);
}

int RadicaleServer::refusedLogins() {
    process_.waitForReadyRead(500);
    log_ += process_.readAllStandardError();
    return static_cast<int>(log_.count("Failed login attempt"));
}

}  // namespace fenmor::test
