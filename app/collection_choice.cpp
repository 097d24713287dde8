#include "app/collection_choice.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <algorithm>

#include "core/services.h"

namespace fenmor {
namespace {

const QString kCalendarName = QStringLiteral("PDA の予定");
const QString kAddressBookName = QStringLiteral("PDA のアドレス帳");

bool SameCollection(const QUrl& a, const QUrl& b) {
    return a.adjusted(QUrl::StripTrailingSlash) == b.adjusted(QUrl::StripTrailingSlash);
}

}  // namespace

CollectionChoice::CollectionChoice(QWidget* page, const Place& place, int top, QString iniPath,
                                   MessageService& messages)
    : QObject(page), iniPath_(std::move(iniPath)), messages_(messages) {
    const QSettings ini(iniPath_, QSettings::IniFormat);
    const auto row = [&](const char* name, const QString& caption, const QString& first,
                         const QString& tip) {
        auto* label = new QLabel(caption, page);
        place(label, 135, top + 45, 1500, 195);
        auto* box = new QComboBox(page);
        box->setObjectName(QString::fromLatin1(name));
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->addItem(first, QUrl());
        box->setToolTip(tip);
        label->setBuddy(box);
        place(box, 1680, top, 5760, 285);
        top += 360;
        return box;
    };
    const QString typed = QStringLiteral("一覧から選ぶか、コレクションの URL を入れます。");
    cbEVENTS =
        row("cbEVENTS", QStringLiteral("予定の送り先"), QStringLiteral("（最初のカレンダー）"),
            QStringLiteral("予定 (VEVENT) を入れるカレンダーです。") + typed);
    cbTASKS = row("cbTASKS", QStringLiteral("ToDo の送り先"), QStringLiteral("（予定と同じ）"),
                  QStringLiteral("ToDo (VTODO) を入れるカレンダーです。「予定と同じ」は、予定の"
                                 "送り先を選んでいればそこへ、いなければ ToDo を受ける最初の"
                                 "カレンダーへ送ります。") +
                      typed);
    cbCARDS = row("cbCARDS", QStringLiteral("アドレス帳"), QStringLiteral("（最初のアドレス帳）"),
                  QStringLiteral("連絡先 (vCard) を入れるアドレス帳です。") + typed);
    btFIND = new QPushButton(QStringLiteral("コレクションを探す"), page);
    btFIND->setObjectName(QStringLiteral("btFIND"));
    btFIND->setToolTip(
        QStringLiteral("サーバーにあるカレンダーとアドレス帳を一覧にします。"
                       "ないときは作るかどうか尋ねます。"));
    place(btFIND, 1680, top, 2400, 375);
    kinds_ = {Kind{cbEVENTS, QStringLiteral("Server/Calendar"), &DavCollection::events},
              Kind{cbTASKS, QStringLiteral("Server/Tasks"), &DavCollection::tasks},
              Kind{cbCARDS, QStringLiteral("Server/AddressBook"), &DavCollection::cards}};
    for (Kind& kind : kinds_) {
        const QString stored = ini.value(kind.key).toString();
        if (!stored.isEmpty()) kind.box->setEditText(stored);
        kind.box->lineEdit()->setCursorPosition(0);
        connect(kind.box, &QComboBox::activated, this, [this, &kind] { edited(kind); });
        connect(kind.box->lineEdit(), &QLineEdit::editingFinished, this,
                [this, &kind] { edited(kind); });
    }
}

// An item of the list is its URL; anything else typed is a URL, or a path on the server.
QUrl CollectionChoice::chosen(const QComboBox* box, const QUrl& base) const {
    const QString text = box->currentText().trimmed();
    const int item = box->findText(text);
    if (item >= 0) return box->itemData(item).toUrl();
    return text.isEmpty() ? QUrl() : base.resolved(QUrl(text));
}

QString CollectionChoice::problem(const QUrl& url, const DavAccount& account) const {
    if (url.isEmpty() || OnAccountServer(account, url)) return {};
    return QStringLiteral(
               "%1 はサーバー URL（%2）とは別のサーバーにあります。パスワードを別の"
               "サーバーへ送らないよう、サーバー URL と同じサーバーのコレクションだけを"
               "使えます。")
        .arg(url.toString(), account.url.toString());
}

// A choice on another server is said once and not kept.
void CollectionChoice::edited(Kind& kind) {
    DavAccount account;
    account.url = server();
    const QUrl url = chosen(kind.box, account.url);
    if (const QString p = account.url.isEmpty() ? QString() : problem(url, account); !p.isEmpty()) {
        if (complained_ != url.toString()) messages_.show(p, Buttons::Ok, Icon::Exclamation, {});
        complained_ = url.toString();
        return;
    }
    complained_.clear();
    save(kind);
}

void CollectionChoice::save(const Kind& kind) {
    QSettings(iniPath_, QSettings::IniFormat)
        .setValue(kind.key, chosen(kind.box, server()).toString());
}

bool CollectionChoice::apply(DavAccount& account) {
    QUrl* const into[] = {&account.calendar, &account.tasks, &account.addressbook};
    for (size_t i = 0; i < kinds_.size(); ++i) {
        *into[i] = chosen(kinds_[i].box, account.url);
        if (const QString p = problem(*into[i], account); !p.isEmpty()) {
            messages_.show(p, Buttons::Ok, Icon::Exclamation, {});
            return false;
        }
    }
    return true;
}

void CollectionChoice::find(const DavAccount& account) {
    account_ = account;
    offered_ = false;
    pending_.clear();
    created_.clear();
    btFIND->setEnabled(false);
    run([](DavDiscovery& d) { d.start(); }, QStringLiteral("コレクションを探せませんでした"));
}

void CollectionChoice::run(const Step& step, const QString& doing) {
    auto* discovery = new DavDiscovery(account_, this);
    connect(discovery, &DavDiscovery::created, this, [this](const QUrl& url) { created_ << url; });
    connect(discovery, &DavDiscovery::found, this,
            [this, discovery](const std::vector<DavCollection>& found) {
                discovery->deleteLater();
                listed(found);
            });
    connect(discovery, &DavDiscovery::failed, this,
            [this, discovery, step, doing](const QString& message, const QString& fp) {
                discovery->deleteLater();
                if (!fp.isEmpty()) {
                    if (!trust || !trust(account_, fp)) return finish();
                    account_.trustedFingerprint = NormalFingerprint(fp);
                    return run(step, doing);
                }
                finish();
                messages_.show(QStringLiteral("サーバー %1（%2）: %3。\n%4")
                                   .arg(account_.url.host(), account_.user, doing, message),
                               Buttons::Ok, Icon::Exclamation, {});
            });
    step(*discovery);
}

void CollectionChoice::listed(const std::vector<DavCollection>& found) {
    fill(found);
    if (!offered_) offer(found);
    if (!pending_.isEmpty()) {
        const auto [step, doing] = pending_.takeFirst();
        return run(step, doing);
    }
    for (const DavCollection& c : found) {
        const bool made = std::any_of(created_.begin(), created_.end(),
                                      [&](const QUrl& url) { return SameCollection(url, c.url); });
        for (Kind& kind : kinds_)
            if (made && kind.missing && c.*kind.takes) choose(kind, c.url);
    }
    finish();
    QList<int> counts;
    for (const Kind& kind : kinds_) counts << kind.box->count() - 1;
    if (report)
        report(QStringLiteral("サーバー %1（%2）: 予定のカレンダー %3、ToDo のカレンダー %4、"
                              "アドレス帳 %5")
                   .arg(account_.url.host(), account_.user)
                   .arg(counts[0])
                   .arg(counts[1])
                   .arg(counts[2]));
}

// Where the account has no calendar for events or tasks, or no address book: one of each, made
// after the user's yes.
void CollectionChoice::offer(const std::vector<DavCollection>& found) {
    offered_ = true;
    for (Kind& kind : kinds_)
        kind.missing = std::none_of(found.begin(), found.end(),
                                    [&](const DavCollection& c) { return c.*kind.takes; });
    const auto ask = [&](const QString& none, const QString& what, const QString& name) {
        return messages_.show(QStringLiteral("サーバー %1 のユーザー %2 には%3がありません。"
                                             "%4「%5」を作りますか？")
                                  .arg(account_.url.host(), account_.user, none, what, name),
                              Buttons::YesNo, Icon::Question, {}) == kYes;
    };
    if ((kinds_[0].missing || kinds_[1].missing) &&
        ask(QStringLiteral("予定や ToDo を入れるカレンダー"), QStringLiteral("カレンダー"),
            kCalendarName))
        pending_.append({[](DavDiscovery& d) { d.createCalendar(kCalendarName); },
                         QStringLiteral("カレンダーを作れませんでした")});
    if (kinds_[2].missing &&
        ask(QStringLiteral("アドレス帳"), QStringLiteral("アドレス帳"), kAddressBookName))
        pending_.append({[](DavDiscovery& d) { d.createAddressBook(kAddressBookName); },
                         QStringLiteral("アドレス帳を作れませんでした")});
}

// The lists as found; what was chosen stays chosen, found or not.
void CollectionChoice::fill(const std::vector<DavCollection>& found) {
    for (Kind& kind : kinds_) {
        const QString text = kind.box->currentText();
        const QUrl was = chosen(kind.box, account_.url);
        kind.box->blockSignals(true);
        while (kind.box->count() > 1) kind.box->removeItem(1);
        int at = -1;
        for (const DavCollection& c : found) {
            if (!(c.*kind.takes)) continue;
            if (!was.isEmpty() && SameCollection(was, c.url)) at = kind.box->count();
            kind.box->addItem(QStringLiteral("%1 — %2").arg(c.name, c.url.toString()), c.url);
        }
        if (at > 0)
            kind.box->setCurrentIndex(at);
        else
            kind.box->setEditText(text);
        kind.box->lineEdit()->setCursorPosition(0);  // the name, where the URL is long
        kind.box->view()->setMinimumWidth(kind.box->view()->sizeHintForColumn(0));
        kind.box->blockSignals(false);
    }
}

void CollectionChoice::choose(Kind& kind, const QUrl& url) {
    kind.box->setCurrentIndex(kind.box->findData(url));
    kind.box->lineEdit()->setCursorPosition(0);
    save(kind);
}

void CollectionChoice::finish() { btFIND->setEnabled(true); }

}  // namespace fenmor
