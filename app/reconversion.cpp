// Each saved transfer is converted by the same function the converter tool uses, inside the
// window's session, so that it writes the same files and shows the same lines as a live one.
#include "app/reconversion.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>

#include "app/column_meanings_dialog.h"
#include "app/kept_transfers_dialog.h"
#include "app/scratch_conversion.h"
#include "core/received_buffer.h"
#include "journal/journal_files.h"
#include "journal/receive_journal.h"
#include "reconvert/saved_transfer.h"

namespace fenmor {
namespace {

class PlatformFileChooser final : public FileChooser {
  public:
    QStringList choose(QWidget* parent, const QString& folder) override {
        return QFileDialog::getOpenFileNames(
            parent, QStringLiteral("変換する受信データ"), folder,
            QStringLiteral(
                "受信データ (*.rcv *.RCV *.cap *.open *.kept *.done);;すべてのファイル (*)"));
    }
};

QStringList LocalFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) files << url.toLocalFile();
    return files;
}

}  // namespace

Reconversion::Reconversion(ReconvertContext context, ReceiveJournal* journal, const QRect& place)
    : QObject(context.window),
      c_(std::move(context)),
      journal_(journal),
      ownChooser_(std::make_unique<PlatformFileChooser>()),
      chooser_(ownChooser_.get()) {
    button_ = new QPushButton(QStringLiteral("再変換 (&V)"), c_.window);
    button_->setObjectName(QStringLiteral("btREDO"));
    button_->setToolTip(QStringLiteral(
        "保存した受信データ（受信ジャーナル、.rcv、キャプチャー）をもう一度変換します。"));
    button_->setGeometry(place);
    button_->show();
    connect(button_, &QPushButton::clicked, this, &Reconversion::showKeptTransfers);
    c_.window->setAcceptDrops(true);
    c_.window->installEventFilter(this);
}

Reconversion::~Reconversion() = default;

bool Reconversion::eventFilter(QObject* watched, QEvent* event) {
    if (watched != c_.window) return false;
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (LocalFiles(drag->mimeData()).isEmpty()) return false;
        drag->acceptProposedAction();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList files = LocalFiles(drop->mimeData());
        if (files.isEmpty()) return false;
        drop->acceptProposedAction();
        // Converted once the drop has ended: the conversion may ask questions.
        QTimer::singleShot(0, this, [this, files] { convertFiles(files); });
        return true;
    }
    return false;
}

void Reconversion::offerRecovery() {
    if (!journal_) return;
    c_.holdLive(true);
    const auto release = qScopeGuard([this] { c_.holdLive(false); });
    for (const JournalEntry& e : ListJournal(journal_->folder())) {
        if (e.state != JournalState::Open || e.path == journal_->currentPath()) continue;
        const JournalLock lock(e.path);
        if (!lock.held()) continue;  // being received, or offered by another copy
        if (e.size == 0) {           // begun, but nothing was written into it
            QFile::remove(e.path);
            continue;
        }
        const QString text =
            QStringLiteral("前回の受信が途中で終わっています。") + kCrLf +
            QStringLiteral("受信開始：") + e.start.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) +
            QStringLiteral("　") + QLocale::c().toString(e.size) + QStringLiteral(" バイト") +
            kCrLf + QStringLiteral("今のオプションで変換しますか？") + kCrLf +
            QStringLiteral("（いいえ：変換せずに残します。［再変換］からいつでも変換できます。）");
        const bool yes = c_.s.message(text, Buttons::YesNo, Icon::Question,
                                      QStringLiteral("受信データの回復")) == kYes;
        if (!yes || !convertFile(e.path)) (void)MarkJournal(e.path, JournalState::Kept);
        journal_->waitForDisk();  // renamed done before another copy may lock it
    }
}

int Reconversion::convertFiles(const QStringList& paths) {
    int converted = 0;
    for (const QString& path : paths)
        if (convertFile(path)) ++converted;
    return converted;
}

bool Reconversion::convertFile(const QString& path) {
    c_.holdLive(true);
    const bool converted = convertHeld(path);
    c_.holdLive(false);
    return converted;
}

bool Reconversion::convertHeld(const QString& path) {
    Session& s = c_.s;
    if (c_.receiving()) {
        s.message(QStringLiteral("受信中は変換できません。受信が終わってから変換してください。") +
                      kCrLf + path,
                  Buttons::Ok, Icon::Exclamation);
        return false;
    }
    const SavedTransfer t = ReadSavedTransfer(path);
    if (!t.error.isEmpty()) {
        s.message(t.error, Buttons::Ok, Icon::Exclamation);
        return false;
    }
    if (t.bytes.isEmpty()) {
        s.message(path + kCrLf + QStringLiteral("変換するデータがありません。"), Buttons::Ok,
                  Icon::Exclamation);
        return false;
    }
    c_.showDataPage();
    // A full buffer ends a live transfer's program; here it ends only this conversion.
    const std::function<void()> endProgram = s.endProgram;
    s.endProgram = [] {};
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool whole = ConvertSavedTransfer(s, t);
    QApplication::restoreOverrideCursor();
    s.endProgram = endProgram;
    if (!whole) {
        StartReceiving(s);  // what did not fit stays in the saved file, not in the buffer
        return false;
    }
    const RunFailures& run = s.failures;
    if (run.nothingReadable()) {
        s.message(NothingReadableText(run.bytes(), QString(), path), Buttons::Ok, Icon::Exclamation,
                  QStringLiteral("受信データ"));
        return false;
    }
    if (!run.allWritten()) return false;  // said as it failed; the saved file stays unconverted
    const QFileInfo info(path);
    if (journal_ && IsJournalName(info.fileName()) &&
        info.absolutePath() == QFileInfo(journal_->folder()).absoluteFilePath()) {
        journal_->converted(info.absoluteFilePath(), run.writtenFiles());
        journal_->waitForDisk();  // the list shows it done once this returns
    }
    return true;
}

void Reconversion::showColumnMeanings(const QString& path) {
    const SavedTransfer t = ReadSavedTransfer(path);
    if (!t.error.isEmpty()) {
        c_.s.message(t.error, Buttons::Ok, Icon::Exclamation);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The columns as the exporter takes them, from a conversion of the transfer's own.
    QTemporaryDir scratch;
    ExportSettings settings;
    settings.ics = settings.vcf = true;
    std::vector<ColumnReport> columns =
        scratch.isValid() ? ConvertInScratch(t, c_.s.opt, settings, ReadColumnMap(c_.columnMapPath),
                                             scratch.path())
                                .columns
                          : std::vector<ColumnReport>{};
    QApplication::restoreOverrideCursor();
    if (columns.empty()) {
        c_.s.message(path + kCrLf +
                         QStringLiteral("アドレス帳・スケジュール・アクションリストがありません。"),
                     Buttons::Ok, Icon::Exclamation);
        return;
    }
    bool writeAgain = false;
    ColumnMeaningsDialog dialog(
        std::move(columns), c_.columnMapPath, [&writeAgain] { writeAgain = true; }, c_.window);
    if (openDialog_) openDialog_(dialog);
    if (dialog.exec() != QDialog::Accepted) return;
    c_.columnMapChanged();
    if (writeAgain) convertFile(path);
}

void Reconversion::showLastColumnMeanings() {
    if (journal_) {
        const std::vector<JournalEntry> entries = ListJournal(journal_->folder());
        for (auto e = entries.rbegin(); e != entries.rend(); ++e)
            if (e->path != journal_->currentPath() && !JournalInUse(e->path))
                return showColumnMeanings(e->path);
    }
    c_.s.message(QStringLiteral("受信ジャーナルに転送がありません。受信してから開くか、"
                                "「再変換」で保存したファイルを選んでください。"),
                 Buttons::Ok, Icon::Exclamation);
}

void Reconversion::showKeptTransfers() {
    KeptTransfersDialog dialog(*this, c_.window);
    dialog.exec();
}

}  // namespace fenmor
