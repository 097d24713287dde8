// The desktop keyring through QtKeychain: the server password is kept there and nowhere else.
#pragma once

#include <QObject>
#include <QString>

namespace fenmor {

class PasswordStore : public QObject {
    Q_OBJECT
  public:
    explicit PasswordStore(QObject* parent = nullptr);
    // The key is the server URL and the user name, under the service "fenmor".
    void read(const QString& server, const QString& user);  // answers with readDone
    void write(const QString& server, const QString& user, const QString& password);

  Q_SIGNALS:
    // keyringAnswered false: no keyring (or none that answers); the caller asks each time.
    void readDone(bool keyringAnswered, const QString& password);
    void writeDone(bool ok, const QString& message);
};

}  // namespace fenmor
