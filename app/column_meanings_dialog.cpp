#include "app/column_meanings_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include "core/data_set.h"
#include "core/received_buffer.h"
#include "core/services.h"
#include "core/session.h"
#include "export/column_preview.h"

namespace fenmor {
namespace {

constexpr int kMeaningColumn = 5, kWhyColumn = 6;

// Meanings a record holds once: a second column of one goes into the note.
bool TakesOneValue(Meaning m) {
    switch (m) {
        case Meaning::Name:
        case Meaning::Reading:
        case Meaning::Nickname:
        case Meaning::Company:
        case Meaning::Department:
        case Meaning::JobTitle:
        case Meaning::PostalCode:
        case Meaning::Address:
        case Meaning::Address2:
        case Meaning::HomePostalCode:
        case Meaning::HomeAddress:
        case Meaning::Birthday:
        case Meaning::Subject:
        case Meaning::Due:
        case Meaning::AlarmMinutes:
            return true;
        default:
            return false;
    }
}

QString WhyWords(Why why) {
    switch (why) {
        case Why::Type:
            return QStringLiteral("型の名前");
        case Why::Tag:
            return QStringLiteral("タグ");
        case Why::Title:
            return QStringLiteral("見出し");
        case Why::Keyword:
            return QStringLiteral("見出しの語");
        case Why::Slot:
            return QStringLiteral("項目の位置");
        case Why::Values:
            return QStringLiteral("値");
        case Why::User:
            return QStringLiteral("指定");
        case Why::None:
            break;
    }
    return QStringLiteral("不明（メモへ）");
}

// The rows of one data set: a new one begins where the column numbers start again.
std::vector<int> DataSetOf(const std::vector<ColumnReport>& columns, int row) {
    int first = row, last = row;
    while (first > 0 && columns[first - 1].column < columns[first].column &&
           columns[first - 1].kind == columns[first].kind)
        --first;
    while (last + 1 < static_cast<int>(columns.size()) &&
           columns[last + 1].column > columns[last].column &&
           columns[last + 1].kind == columns[last].kind)
        ++last;
    std::vector<int> rows;
    for (int r = first; r <= last; ++r) rows.push_back(r);
    return rows;
}

QString MapLine(const ColumnReport& c) {
    return QStringList{c.kind,
                       QString::number(c.column),
                       MapField(c.name),
                       MapField(c.title),
                       MeaningName(c.meaning),
                       WhyName(c.why)}
        .join(u'\t');
}

}  // namespace

ColumnMeaningsDialog::ColumnMeaningsDialog(std::vector<ColumnReport> columns, QString mapPath,
                                           std::function<void()> writeAgain, QWidget* parent)
    : QDialog(parent),
      columns_(std::move(columns)),
      mapPath_(std::move(mapPath)),
      writeAgain_(std::move(writeAgain)) {
    setWindowTitle(QStringLiteral("項目の意味"));
    auto* layout = new QVBoxLayout(this);
    table_ = new QTableWidget(static_cast<int>(columns_.size()), 7, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("種類"), QStringLiteral("番号"),
                                       QStringLiteral("型・タグ"), QStringLiteral("見出し"),
                                       QStringLiteral("最初の値"), QStringLiteral("意味"),
                                       QStringLiteral("理由")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    for (int row = 0; row < rowCount(); ++row) {
        const ColumnReport& c = columns_[row];
        const QStringList texts = {c.kind, QString::number(c.column), c.name, c.title,
                                   c.firstValues.join(QStringLiteral(" ／ "))};
        for (int col = 0; col < texts.size(); ++col)
            table_->setItem(row, col, new QTableWidgetItem(texts[col]));
        auto* list = new QComboBox(table_);
        for (int m = 0; m <= static_cast<int>(Meaning::CategoryCode); ++m)
            list->addItem(MeaningName(static_cast<Meaning>(m)), m);
        list->setCurrentIndex(list->findData(static_cast<int>(c.meaning)));
        if (c.fixed) {
            list->setEnabled(false);
            list->setToolTip(
                QStringLiteral("予定の開始・終了・内容・マークは項目の位置で決まり、"
                               "変えられません。"));
        }
        connect(list, &QComboBox::activated, this, [this, row, list](int index) {
            setMeaning(row, static_cast<Meaning>(list->itemData(index).toInt()));
        });
        table_->setCellWidget(row, kMeaningColumn, list);
        table_->setItem(row, kWhyColumn, new QTableWidgetItem);
        lists_.push_back(list);
    }
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_);
    layout->addWidget(
        new QLabel(QStringLiteral("最初の記録は、電話やカレンダーでこう見えます："), this));
    preview_ = new QLabel(this);
    preview_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    preview_->setMinimumHeight(120);
    preview_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    layout->addWidget(preview_);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* again = buttons->addButton(QStringLiteral("保存して書き出し直す (&W)"),
                                            QDialogButtonBox::ActionRole);
    QPushButton* keep =
        buttons->addButton(QStringLiteral("保存 (&S)"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(again, &QPushButton::clicked, this, &ColumnMeaningsDialog::saveAndWriteAgain);
    connect(keep, &QPushButton::clicked, this, [this] {
        if (save()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(table_, &QTableWidget::currentCellChanged, this, [this] { showPreview(); });
    resize(760, 520);
    showWhy();
    showPreview();
}

int ColumnMeaningsDialog::rowCount() const { return static_cast<int>(columns_.size()); }

void ColumnMeaningsDialog::setMeaning(int row, Meaning m) {
    columns_[row].meaning = m;
    columns_[row].why = Why::User;
    const int index = lists_[row]->findData(static_cast<int>(m));
    if (lists_[row]->currentIndex() != index) lists_[row]->setCurrentIndex(index);
    table_->setCurrentCell(row, kMeaningColumn);
    showWhy();
    showPreview();
}

QString ColumnMeaningsDialog::whyText(int row) const {
    return table_->item(row, kWhyColumn)->text();
}

QString ColumnMeaningsDialog::preview() const { return preview_->text(); }

void ColumnMeaningsDialog::showWhy() {
    for (int row = 0; row < rowCount(); ++row) {
        const ColumnReport& c = columns_[row];
        QString text = WhyWords(c.why);
        for (int other : DataSetOf(columns_, row))
            if (other < row && columns_[other].meaning == c.meaning && TakesOneValue(c.meaning)) {
                text += QStringLiteral("／同じ意味の2つ目なのでメモへ");
                break;
            }
        table_->item(row, kWhyColumn)->setText(text);
    }
}

void ColumnMeaningsDialog::showPreview() {
    if (columns_.empty()) {
        preview_->setText(QStringLiteral("書き出す記録がありません。"));
        return;
    }
    std::vector<ColumnReport> set;
    for (int row : DataSetOf(columns_, std::max(0, table_->currentRow())))
        set.push_back(columns_[row]);
    preview_->setText(PreviewOf(set));
}

bool ColumnMeaningsDialog::save() {
    // Lines of the map that these columns do not name are kept as they are.
    QStringList lines;
    QFile old(mapPath_);
    if (old.open(QIODevice::ReadOnly))
        for (const QString& line : QString::fromUtf8(old.readAll()).split(u'\n')) {
            const QStringList f = line.split(u'\t');
            bool replaced = false;
            for (const ColumnReport& c : columns_)
                replaced = replaced || (c.why == Why::User && f.size() >= 4 && f[0] == c.kind &&
                                        f[1].trimmed().toInt() == c.column &&
                                        f[2] == MapField(c.name) && f[3] == MapField(c.title));
            if (!replaced && !line.trimmed().isEmpty()) lines << line;
        }
    for (const ColumnReport& c : columns_)
        if (c.why == Why::User) lines << MapLine(c);
    QSaveFile file(mapPath_);
    if (!file.open(QIODevice::WriteOnly) || file.write((lines.join(u'\n') + u'\n').toUtf8()) < 0 ||
        !file.commit()) {
        preview_->setText(QStringLiteral("保存できません：") + mapPath_ + u'\n' +
                          file.errorString());
        return false;
    }
    return true;
}

void ColumnMeaningsDialog::saveAndWriteAgain() {
    if (!save()) return;
    accept();
    if (writeAgain_) writeAgain_();
}

}  // namespace fenmor
