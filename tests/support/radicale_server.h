// A real Radicale for the window's tests: htpasswd users, one calendar, a free port of 127.0.0.1,
// stopped when it goes.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace fenmor::test {

class RadicaleServer {
  public:
    // Starts Radicale with user and password, and the calendar "cal" of user; port() is 0
    // when it did not start within ten seconds.
    explicit RadicaleServer(const QString& user = QStringLiteral("alice"),
                            const QString& password = QStringLiteral("secret"),
                            const QStringList& usersWithNothing = {});  // same password
    ~RadicaleServer();
    RadicaleServer(const RadicaleServer&) = delete;
    RadicaleServer& operator=(const RadicaleServer&) = delete;
    [[nodiscard]] int port() const { return port_; }
    [[nodiscard]] QString url() const;  // "http://127.0.0.1:PORT/"
    // The resource files the calendar holds.
    [[nodiscard]] QStringList stored() const;
    // The folder of every user's collections in Radicale's storage.
    [[nodiscard]] QString store() const;
    // The logins refused so far (user or password wrong), as the server logged them.
    [[nodiscard]] int refusedLogins();

  private:
    QTemporaryDir folder_;
    QString user_;
    QProcess process_;
    QByteArray log_;
    int port_ = 0;
};

}  // namespace fenmor::test
