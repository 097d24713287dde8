#include "app/server_page.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>

#include "app/collection_choice.h"
#include "app/controls.h"
#include "app/data_list_view.h"
#include "app/scratch_conversion.h"
#include "core/data_set.h"
#include "core/option_set.h"
#include "dav/dav_items.h"
#include "dav/dav_sender.h"
#include "dav/password_store.h"
#include "export/column_map.h"
#include "export/export_settings.h"
#include "reconvert/saved_transfer.h"

namespace fenmor {
namespace {

class DialogPasswordPrompt final : public PasswordPrompt {
  public:
    explicit DialogPasswordPrompt(QWidget* parent) : parent_(parent) {}
    std::optional<QString> ask(const QString& server, const QString& user) override {
        bool ok = false;
        const QString password = QInputDialog::getText(
            parent_, QStringLiteral("パスワード"),
            QStringLiteral("%1 のユーザー %2 のパスワード:").arg(server, user), QLineEdit::Password,
            {}, &ok);
        if (!ok) return std::nullopt;
        return password;
    }

  private:
    QWidget* parent_;
};

QString TrustKey(const QString& host) { return QStringLiteral("Server/Trust_") + host; }

// The files a kept transfer gives with calendar and address-book files on, written in folder.
// The window's options, the user's export choices and column meanings hold here too, so that
// what is sent is what the window writes (the same UIDs among them).
QStringList ConvertForSending(const QString& path, const QString& folder, const QString& iniPath,
                              const OptionSet& options, QString& error) {
    const SavedTransfer t = ReadSavedTransfer(path);
    if (!t.error.isEmpty()) {
        error = t.error;
        return {};
    }
    ExportSettings settings = LoadExportSettings(iniPath);
    settings.ics = true;
    settings.vcf = true;
    const QString mapPath = QFileInfo(iniPath).dir().filePath(kColumnMapFileName);
    const ColumnMap map = QFileInfo::exists(mapPath) ? ReadColumnMap(mapPath) : ColumnMap{};
    const QStringList written = ConvertInScratch(t, options, settings, map, folder).written;
    if (written.isEmpty())
        error = QStringLiteral("%1 に予定・ToDo・アドレス帳はありません。").arg(path);
    return written;
}

}  // namespace

ServerPage::ServerPage(QTabWidget* tabs, double dpi, const QString& iniPath, QString stateFile,
                       const OptionSet& options, MessageService& messages, DataListView& list)
    : iniPath_(iniPath),
      stateFile_(std::move(stateFile)),
      options_(options),
      messages_(messages),
      list_(list),
      store_(new PasswordStore(this)),
      ownPrompt_(std::make_unique<DialogPasswordPrompt>(this)),
      prompt_(ownPrompt_.get()) {
    setObjectName(QStringLiteral("pageServer"));
    tabs->addTab(this, QStringLiteral("送信先"));
    const auto place = [dpi](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(TwipsToPixels(left, dpi), TwipsToPixels(top, dpi), TwipsToPixels(width, dpi),
                       TwipsToPixels(height, dpi));
    };
    const auto field = [&](const char* name, const QString& caption, const QString& tip, int top) {
        auto* label = new QLabel(caption, this);
        place(label, 135, top + 45, 1500, 195);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setToolTip(tip);
        label->setBuddy(edit);
        place(edit, 1680, top, 5760, 285);
        return edit;
    };
    txURL = field("txURL", QStringLiteral("サーバー URL"),
                  QStringLiteral("CalDAV/CardDAV サーバーまたはアカウントの URL です。"), 180);
    txUSER = field("txUSER", QStringLiteral("ユーザー名"),
                   QStringLiteral("サーバーのユーザー名です。"), 540);
    txPASS = field("txPASS", QStringLiteral("パスワード"),
                   QStringLiteral("デスクトップのキーリングにだけ保存します。"), 900);
    txPASS->setEchoMode(QLineEdit::Password);
    txPASS->setPlaceholderText(QStringLiteral("変えるときだけ入力します"));
    choice_ = new CollectionChoice(this, place, 1260, iniPath_, messages_);
    choice_->server = [this] { return QUrl(txURL->text().trimmed()); };
    choice_->trust = [this](const DavAccount& a, const QString& fp) { return trusts(a, fp); };
    choice_->report = [this](const QString& line) { list_.append(line); };
    auto* note = new QLabel(
        QStringLiteral("予定・ToDo・アドレス帳の .ics/.vcf を、UID ごとに送ります。"), this);
    place(note, 135, 2805, 7305, 195);
    ckAUTO = new QCheckBox(QStringLiteral("受信のたびにサーバーへ送る"), this);
    ckAUTO->setObjectName(QStringLiteral("ckAUTO"));
    ckAUTO->setToolTip(
        QStringLiteral("受信して書き出した .ics/.vcf をそのままサーバーへ送ります。"));
    place(ckAUTO, 135, 3120, 4500, 240);
    btSEND = new QPushButton(QStringLiteral("サーバーへ送る"), this);
    btSEND->setObjectName(QStringLiteral("btSEND"));
    btSEND->setToolTip(QStringLiteral("最後の受信で書き出した .ics/.vcf をサーバーへ送ります。"));
    place(btSEND, 135, 3480, 2400, 375);

    const QSettings ini(iniPath_, QSettings::IniFormat);
    txURL->setText(ini.value(QStringLiteral("Server/URL")).toString());
    txUSER->setText(ini.value(QStringLiteral("Server/User")).toString());
    ckAUTO->setChecked(ini.value(QStringLiteral("Server/SendAfterTransfer"), false).toBool());
    connect(txURL, &QLineEdit::editingFinished, this, &ServerPage::save);
    connect(txUSER, &QLineEdit::editingFinished, this, &ServerPage::save);
    connect(ckAUTO, &QCheckBox::toggled, this, &ServerPage::save);
    connect(txPASS, &QLineEdit::editingFinished, this, &ServerPage::storePassword);
    connect(btSEND, &QPushButton::clicked, this, [this] {
        const QStringList files = lastTransferFiles ? lastTransferFiles() : QStringList{};
        send(files);
    });
    connect(choice_->btFIND, &QPushButton::clicked, this, &ServerPage::findCollections);
    connect(store_, &PasswordStore::writeDone, this, [this](bool ok, const QString&) {
        if (!ok) noKeyring();
    });
}

ServerPage::~ServerPage() = default;

void ServerPage::ended() {
    sending_ = false;
    savedCopy_.reset();
}

void ServerPage::sendSaved(const QString& journalPath) {
    if (sending_) return;
    savedCopy_ = std::make_unique<QTemporaryDir>();
    QString error;
    const QStringList files =
        ConvertForSending(journalPath, savedCopy_->path(), iniPath_, options_, error);
    if (!error.isEmpty()) {
        savedCopy_.reset();
        messages_.show(error, Buttons::Ok, Icon::Exclamation, {});
        return;
    }
    send(files);
    if (!sending_) savedCopy_.reset();  // refused before it began
}

bool ServerPage::sendAfterEveryTransfer() const { return ckAUTO->isChecked(); }

void ServerPage::save() {
    QSettings ini(iniPath_, QSettings::IniFormat);
    ini.setValue(QStringLiteral("Server/URL"), txURL->text().trimmed());
    ini.setValue(QStringLiteral("Server/User"), txUSER->text().trimmed());
    ini.setValue(QStringLiteral("Server/SendAfterTransfer"), ckAUTO->isChecked());
}

// The typed password goes to the keyring and leaves the field at once.
void ServerPage::storePassword() {
    const QString password = txPASS->text();
    if (password.isEmpty()) return;
    txPASS->clear();
    // The key as the sending (and the converter) reads it: the URL as QUrl spells it.
    store_->write(QUrl(txURL->text().trimmed()).toString(), txUSER->text().trimmed(), password);
}

void ServerPage::noKeyring() {
    if (noKeyringSaid_) return;
    noKeyringSaid_ = true;
    messages_.show(
        QStringLiteral("デスクトップのキーリングが使えないため、パスワードは保存できません。"
                       "送るたびにパスワードを尋ねます。"),
        Buttons::Ok, Icon::Exclamation, {});
}

// The account the fields name, after the question about plain http; none after a message.
std::optional<DavAccount> ServerPage::pageAccount() {
    DavAccount account;
    account.url = QUrl(txURL->text().trimmed());
    account.user = txUSER->text().trimmed();
    if (txURL->text().trimmed().isEmpty() || account.user.isEmpty()) {
        messages_.show(
            QStringLiteral("「送信先」ページでサーバー URL とユーザー名を入れてください。"),
            Buttons::Ok, Icon::Exclamation, {});
        return std::nullopt;
    }
    if (NeedsPlainHttpConfirmation(account.url)) {
        if (messages_.show(
                QStringLiteral("%1 へは暗号化されない http で送ることになり、パスワードも"
                               "読まれるおそれがあります。送りますか？")
                    .arg(account.url.host()),
                Buttons::YesNo, Icon::Exclamation, {}) != kYes)
            return std::nullopt;
        account.plainHttpConfirmed = true;
    }
    if (const QString problem = AccountUrlProblem(account); !problem.isEmpty()) {
        messages_.show(problem, Buttons::Ok, Icon::Exclamation, {});
        return std::nullopt;
    }
    const QSettings ini(iniPath_, QSettings::IniFormat);
    account.trustedFingerprint = ini.value(TrustKey(account.url.host())).toString();
    return account;
}

// Asks whether the certificate with this fingerprint is trusted for the account's host; a yes
// is kept.
bool ServerPage::trusts(const DavAccount& account, const QString& fingerprint) {
    const QString fp = NormalFingerprint(fingerprint);
    if (messages_.show(QStringLiteral("%1 の証明書は信頼された認証局のものではありません。\n"
                                      "SHA-256: %2\nこの証明書をこのサーバーについて信頼しますか？")
                           .arg(account.url.host(), fp),
                       Buttons::YesNo, Icon::Question, {}) != kYes)
        return false;
    QSettings(iniPath_, QSettings::IniFormat).setValue(TrustKey(account.url.host()), fp);
    return true;
}

void ServerPage::findCollections() {
    std::optional<DavAccount> account = pageAccount();
    if (!account) return;
    choice_->btFIND->setEnabled(false);
    withPassword(
        *account, [this](const DavAccount& a) { choice_->find(a); },
        [this] { choice_->btFIND->setEnabled(true); });
}

void ServerPage::send(const QStringList& files) {
    if (sending_) return;
    std::optional<DavAccount> account = pageAccount();
    if (!account || !choice_->apply(*account)) return;
    if (files.isEmpty()) {
        messages_.show(QStringLiteral("送る .ics/.vcf がありません。「書き出し 」ページで書き出しを"
                                      "選んでから受信してください。"),
                       Buttons::Ok, Icon::Exclamation, {});
        return;
    }
    sending_ = true;
    withPassword(
        *account, [this, files](const DavAccount& a) { start(a, files); }, [this] { ended(); });
}

// The keyring's password, else the user's answer; no answer is none().
void ServerPage::withPassword(DavAccount account, std::function<void(const DavAccount&)> then,
                              std::function<void()> none) {
    auto* reader = new PasswordStore(this);
    connect(reader, &PasswordStore::readDone, this,
            [this, reader, account, then, none](bool answered, const QString& found) mutable {
                reader->deleteLater();
                if (answered && !found.isEmpty()) {
                    account.password = found;
                    then(account);
                    return;
                }
                if (!answered) noKeyring();
                const std::optional<QString> typed =
                    prompt_->ask(account.url.toString(), account.user);
                if (!typed) {
                    none();
                    return;
                }
                account.password = *typed;
                if (answered) store_->write(account.url.toString(), account.user, *typed);
                then(account);
            });
    reader->read(account.url.toString(), account.user);
}

void ServerPage::start(DavAccount account, const QStringList& files) {
    QString error;
    std::vector<DavItem> items = ItemsOfFiles(files, &error);
    if (items.empty()) {
        list_.append(error.isEmpty() ? QStringLiteral("サーバーへ送る項目がありません。") : error);
        ended();
        return;
    }
    auto* sender = new DavSender(account, stateFile_, this);
    auto* progress =
        new QProgressDialog(QStringLiteral("サーバーへ送っています…"), QStringLiteral("キャンセル"),
                            0, static_cast<int>(items.size()), this);
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(500);
    connect(progress, &QProgressDialog::canceled, sender, &DavSender::cancel);
    connect(sender, &DavSender::progress, progress, [progress](int done, int total) {
        progress->setMaximum(total);
        progress->setValue(done);
    });
    connect(sender, &DavSender::finished, this,
            [this, sender, progress, account, files](const DavOutcome& outcome) {
                progress->deleteLater();
                finish(account, files, outcome);
                sender->deleteLater();
            });
    sender->send(std::move(items));
}

void ServerPage::finish(const DavAccount& account, const QStringList& files,
                        const DavOutcome& outcome) {
    sending_ = false;
    if (!outcome.untrustedFingerprint.isEmpty()) {
        if (trusts(account, outcome.untrustedFingerprint)) {
            DavAccount again = account;
            again.trustedFingerprint = NormalFingerprint(outcome.untrustedFingerprint);
            sending_ = true;
            start(again, files);
            return;
        }
        ended();
        return;
    }
    ended();
    list_.append(QStringLiteral("サーバー %1（%2）: ").arg(account.url.host(), account.user) +
                 QStringLiteral("新規 %1、更新 %2、変更なし %3、競合 %4、失敗 %5")
                     .arg(outcome.added)
                     .arg(outcome.updated)
                     .arg(outcome.unchanged)
                     .arg(outcome.conflicts.size())
                     .arg(outcome.failed) +
                 (outcome.cancelled ? QStringLiteral("（キャンセル）") : QString()));
    if (!outcome.fatal.isEmpty()) list_.append(outcome.fatal);
    for (const QString& failure : outcome.failures) list_.append(failure);
    for (const QString& note : outcome.notes) list_.append(note);
    if (!outcome.missing.isEmpty())
        list_.append(QStringLiteral("前回送って今回ない項目 %1 件（サーバーからは消しません）")
                         .arg(outcome.missing.size()));
    if (outcome.conflicts.empty()) return;
    auto* resolver = new DavSender(account, stateFile_, this);
    auto pending = std::make_shared<int>(static_cast<int>(outcome.conflicts.size()));
    connect(resolver, &DavSender::resolved, this,
            [this, resolver, pending](const QString& uid, bool, const QString& message) {
                list_.append(QStringLiteral("競合 %1: %2").arg(uid, message));
                if (--*pending == 0) resolver->deleteLater();
            });
    for (const DavConflict& c : outcome.conflicts) {
        const bool sendPda =
            messages_.show(QStringLiteral("競合: %1 はサーバー上で変更されています。\n"
                                          "サーバー: %2\nザウルス: %3\n"
                                          "ザウルスの内容で上書きしますか？"
                                          "（いいえ: サーバーのものを残す）")
                               .arg(c.pda.summary.isEmpty() ? c.pda.uid : c.pda.summary,
                                    MainFields(c.serverBody), MainFields(c.pda.body)),
                           Buttons::YesNo, Icon::Question, {}) == kYes;
        resolver->resolve(c, sendPda);
    }
}

}  // namespace fenmor
