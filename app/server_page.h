// The tab page "送信先": the CalDAV/CardDAV server the exports are sent to, the collections they go
// to, and the sending itself (progress, the closing line in the data list, an unknown
// certificate, conflicts). The URL, the user name, the collections and the trusted fingerprints
// are kept in "Fenmor.ini" [Server]; the password only in the desktop keyring, or asked at each
// sending or finding where no keyring answers.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "dav/dav_account.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTemporaryDir;
class QTabWidget;

namespace fenmor {

class CollectionChoice;
class DataListView;
class MessageService;
class OptionSet;
class PasswordStore;
struct DavOutcome;

// Asks for the password of one sending (tests answer it).
class PasswordPrompt {
  public:
    virtual ~PasswordPrompt() = default;
    [[nodiscard]] virtual std::optional<QString> ask(const QString& server,
                                                     const QString& user) = 0;
};

class ServerPage final : public QWidget {
  public:
    // options: the window's, which a kept transfer is converted with before it is sent.
    ServerPage(QTabWidget* tabs, double dpi, const QString& iniPath, QString stateFile,
               const OptionSet& options, MessageService& messages, DataListView& list);
    ~ServerPage() override;

    void setPasswordPrompt(PasswordPrompt* prompt) { prompt_ = prompt; }
    void setStateFile(const QString& path) { stateFile_ = path; }
    // Sends the items of these .ics and .vcf files; the end is one line in the data list.
    void send(const QStringList& files);
    // Sends a kept transfer: converted again with calendar and address-book files into a
    // temporary folder by a session of its own, so the saved files and the journal stay as they
    // are; the folder goes when the sending ends.
    void sendSaved(const QString& journalPath);
    [[nodiscard]] bool sendAfterEveryTransfer() const;
    [[nodiscard]] bool sending() const { return sending_; }
    [[nodiscard]] CollectionChoice& collections() { return *choice_; }

    QLineEdit* txURL = nullptr;
    QLineEdit* txUSER = nullptr;
    QLineEdit* txPASS = nullptr;
    QCheckBox* ckAUTO = nullptr;
    QPushButton* btSEND = nullptr;  // "サーバーへ送る": the last transfer's files

    // What btSEND sends: the files the last transfer's export wrote.
    std::function<QStringList()> lastTransferFiles;

  private:
    void save();
    void storePassword();
    [[nodiscard]] std::optional<DavAccount> pageAccount();
    [[nodiscard]] bool trusts(const DavAccount& account, const QString& fingerprint);
    void findCollections();
    void withPassword(DavAccount account, std::function<void(const DavAccount&)> then,
                      std::function<void()> none);
    void start(DavAccount account, const QStringList& files);
    void finish(const DavAccount& account, const QStringList& files, const DavOutcome& outcome);
    void noKeyring();
    void ended();

    QString iniPath_;
    QString stateFile_;
    const OptionSet& options_;
    MessageService& messages_;
    DataListView& list_;
    PasswordStore* store_;
    std::unique_ptr<PasswordPrompt> ownPrompt_;
    PasswordPrompt* prompt_;
    CollectionChoice* choice_;
    std::unique_ptr<QTemporaryDir> savedCopy_;  // the kept transfer's files being sent
    bool sending_ = false;
    bool noKeyringSaid_ = false;
};

}  // namespace fenmor
