// Sizes and kinds are read from the files each time the list is filled: the folder holds a
// few dozen transfers at most.
#include "app/kept_transfers_dialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/reconversion.h"
#include "journal/receive_journal.h"
#include "reconvert/saved_transfer.h"
#include "reconvert/transfer_kinds.h"

namespace fenmor {
namespace {

QString StateText(JournalState state) {
    switch (state) {
        case JournalState::Open:
            return QStringLiteral("未変換（受信が中断）");
        case JournalState::Kept:
            return QStringLiteral("未変換");
        case JournalState::Done:
            return QStringLiteral("変換済み");
    }
    return {};
}

QString KindsOf(const QString& path) {
    const SavedTransfer t = ReadSavedTransfer(path);  // within the limits of one transfer
    if (!t.error.isEmpty()) return t.error;
    const QStringList kinds = TransferKinds(t.bytes);
    return kinds.isEmpty() ? QStringLiteral("（見つかりません）")
                           : kinds.join(QStringLiteral("、"));
}

}  // namespace

KeptTransfersDialog::KeptTransfersDialog(Reconversion& reconversion, QWidget* parent)
    : QDialog(parent), r_(reconversion) {
    setWindowTitle(QStringLiteral("受信ジャーナル"));
    auto* layout = new QVBoxLayout(this);
    folder_ = new QLabel(this);
    folder_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(folder_);
    table_ = new QTableWidget(0, 4, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("受信開始"), QStringLiteral("サイズ"),
                                       QStringLiteral("データの種類"), QStringLiteral("状態")});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* convert =
        buttons->addButton(QStringLiteral("変換 (&C)"), QDialogButtonBox::ActionRole);
    QPushButton* remove =
        buttons->addButton(QStringLiteral("削除 (&D)"), QDialogButtonBox::ActionRole);
    QPushButton* files = buttons->addButton(QStringLiteral("ファイルから変換 (&F)..."),
                                            QDialogButtonBox::ActionRole);
    QPushButton* columns =
        buttons->addButton(QStringLiteral("項目の意味 (&M)..."), QDialogButtonBox::ActionRole);
    if (r_.context().sendToServer) {
        QPushButton* send =
            buttons->addButton(QStringLiteral("サーバーへ送る"), QDialogButtonBox::ActionRole);
        connect(send, &QPushButton::clicked, this, [this] {
            if (const JournalEntry* e = selected()) r_.context().sendToServer(e->path);
        });
    }
    buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(convert, &QPushButton::clicked, this, &KeptTransfersDialog::convertSelected);
    connect(remove, &QPushButton::clicked, this, &KeptTransfersDialog::deleteSelected);
    connect(files, &QPushButton::clicked, this, &KeptTransfersDialog::convertChosenFiles);
    connect(columns, &QPushButton::clicked, this, &KeptTransfersDialog::showColumnsOfSelected);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(table_, &QTableWidget::cellDoubleClicked, this, &KeptTransfersDialog::convertSelected);
    resize(780, 300);  // room for every command in one row
    refresh();
}

void KeptTransfersDialog::showColumnsOfSelected() {
    if (const JournalEntry* e = selected()) {
        r_.showColumnMeanings(e->path);
        refresh();
    }
}

void KeptTransfersDialog::refresh() {
    ReceiveJournal* journal = r_.journal();
    entries_.clear();
    if (journal) {
        folder_->setText(QStringLiteral("保存先：") + journal->folder() +
                         (journal->settings().enabled
                              ? QString()
                              : QStringLiteral("（受信ジャーナルは切ってあります）")));
        for (JournalEntry& e : ListJournal(journal->folder()))
            if (e.path != journal->currentPath() && !JournalInUse(e.path))
                entries_.push_back(std::move(e));
    } else {
        folder_->setText(QStringLiteral("受信ジャーナルはありません。"));
    }
    table_->setRowCount(static_cast<int>(entries_.size()));
    const QLocale c = QLocale::c();
    for (int row = 0; row < rowCount(); ++row) {
        const JournalEntry& e = entries_[static_cast<size_t>(row)];
        const QStringList texts = {e.start.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")),
                                   c.toString(e.size) + QStringLiteral(" バイト"), KindsOf(e.path),
                                   StateText(e.state)};
        for (int col = 0; col < texts.size(); ++col)
            table_->setItem(row, col, new QTableWidgetItem(texts[col]));
        table_->item(row, 1)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (rowCount() > 0) table_->selectRow(rowCount() - 1);
}

int KeptTransfersDialog::rowCount() const { return table_->rowCount(); }

QStringList KeptTransfersDialog::rowTexts(int row) const {
    QStringList texts;
    for (int col = 0; col < table_->columnCount(); ++col) texts << table_->item(row, col)->text();
    return texts;
}

void KeptTransfersDialog::selectRow(int row) { table_->selectRow(row); }

const JournalEntry* KeptTransfersDialog::selected() const {
    const int row = table_->currentRow();
    if (row < 0 || row >= rowCount() || table_->selectedItems().isEmpty()) return nullptr;
    return &entries_[static_cast<size_t>(row)];
}

void KeptTransfersDialog::convertSelected() {
    const JournalEntry* e = selected();
    if (!e) return;
    r_.convertFile(e->path);
    refresh();
}

void KeptTransfersDialog::deleteSelected() {
    const JournalEntry* e = selected();
    if (!e) return;
    Session& s = r_.session();
    const QString text =
        e->start.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) +
        QStringLiteral(" に始まった受信を") + kCrLf +
        QStringLiteral("受信ジャーナルから削除しますか？") +
        (e->state == JournalState::Done ? QString()
                                        : kCrLf + QStringLiteral("（まだ変換していません）"));
    if (s.message(text, Buttons::YesNo, Icon::Question, QStringLiteral("受信ジャーナル")) != kYes)
        return;
    QFile f(e->path);
    if (!f.remove()) s.message(f.errorString(), Buttons::Ok, Icon::Exclamation);
    refresh();
}

void KeptTransfersDialog::convertChosenFiles() {
    ReceiveJournal* journal = r_.journal();
    const QStringList files =
        r_.fileChooser().choose(this, journal ? journal->folder() : QString());
    if (files.isEmpty()) return;
    r_.convertFiles(files);
    refresh();
}

}  // namespace fenmor
