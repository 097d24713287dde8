// The collections the page "送信先" sends to: a calendar for events, one for tasks and an address
// book, each picked from what the account holds or typed as a URL, and kept in "Fenmor.ini"
// [Server] (Calendar, Tasks, AddressBook). Empty is what the sending did before there was a
// choice: the first collection the server names that takes the kind.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <array>
#include <functional>
#include <vector>

#include "dav/dav_account.h"
#include "dav/dav_discovery.h"

class QComboBox;
class QPushButton;
class QWidget;

namespace fenmor {

class MessageService;

class CollectionChoice final : public QObject {
  public:
    using Place = std::function<void(QWidget*, int left, int top, int width, int height)>;
    // Three rows of choosers from top, then the button that finds the collections.
    CollectionChoice(QWidget* page, const Place& place, int top, QString iniPath,
                     MessageService& messages);

    // Puts the choice into account; false, after saying why, when one is not on its server.
    [[nodiscard]] bool apply(DavAccount& account);
    // Lists account's collections (its password known) into the choosers; where it has no
    // calendar or no address book, offers to create one and chooses it.
    void find(const DavAccount& account);

    QComboBox* cbEVENTS = nullptr;
    QComboBox* cbTASKS = nullptr;
    QComboBox* cbCARDS = nullptr;
    QPushButton* btFIND = nullptr;  // "コレクションを探す"

    std::function<QUrl()> server;  // the page's server URL, which a typed path is read against
    // An unknown certificate met while finding: true when the user now trusts fp for the host.
    std::function<bool(const DavAccount&, const QString& fp)> trust;
    std::function<void(const QString&)> report;  // one line at the end of a finding

  private:
    struct Kind {
        QComboBox* box;
        QString key;
        bool DavCollection::*takes;
        bool missing = false;  // the account had none when the finding began
    };
    using Step = std::function<void(DavDiscovery&)>;

    [[nodiscard]] QUrl chosen(const QComboBox* box, const QUrl& base) const;
    [[nodiscard]] QString problem(const QUrl& url, const DavAccount& account) const;
    void edited(Kind& kind);
    void save(const Kind& kind);
    void run(const Step& step, const QString& doing);
    void listed(const std::vector<DavCollection>& found);
    void offer(const std::vector<DavCollection>& found);
    void fill(const std::vector<DavCollection>& found);
    void choose(Kind& kind, const QUrl& url);
    void finish();

    QString iniPath_;
    MessageService& messages_;
    std::array<Kind, 3> kinds_;
    DavAccount account_;  // of the finding under way
    bool offered_ = false;
    QList<std::pair<Step, QString>> pending_;  // creations the user said yes to
    QList<QUrl> created_;
    QString complained_;  // the typed URL last refused, said once
};

}  // namespace fenmor
