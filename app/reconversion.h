// Re-conversion in the window: the recovery question at start-up for a journal that was never
// processed, the command on the saved-data page, files dropped on the window, and the list of
// the journal's transfers.
#pragma once

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

#include "core/session.h"

class QPushButton;
class QWidget;

namespace fenmor {

class ColumnMeaningsDialog;
class ReceiveJournal;

// What re-conversion needs of the window.
struct ReconvertContext {
    QWidget* window;
    Session& s;
    std::function<bool()> receiving;  // a transfer is being received or waits for its run
    std::function<void()> showDataPage;
    // True: the buffer is the conversion's until false; what the port receives meanwhile waits.
    std::function<void(bool)> holdLive = [](bool) {};
    // Sends a kept transfer's calendar and address-book items to the server (none: no command).
    std::function<void(const QString& journalPath)> sendToServer;
    // The user's column map, and what reads it again once the user has changed it.
    QString columnMapPath = {};
    std::function<void()> columnMapChanged = [] {};
};

// Chooses saved transfers to convert; the platform's dialog, or an answer in tests.
class FileChooser {
  public:
    virtual ~FileChooser() = default;
    [[nodiscard]] virtual QStringList choose(QWidget* parent, const QString& folder) = 0;
};

class Reconversion final : public QObject {
    Q_OBJECT
  public:
    // Adds the command to the window at `place` (pixels) and takes files dropped on it.
    Reconversion(ReconvertContext context, ReceiveJournal* journal, const QRect& place);
    ~Reconversion() override;

    // Asks about every journal never marked done, oldest first: Yes converts it now, No keeps
    // it (listed, not asked again). Each is locked while it is asked about and converted, so
    // that a second copy started at the same time does not offer it too.
    void offerRecovery();
    // Converts each file as one transfer with the options in force. Journals converted with
    // every file written are marked done. Returns the number converted.
    int convertFiles(const QStringList& paths);
    bool convertFile(const QString& path);
    // The list of kept transfers (modal).
    void showKeptTransfers();
    // The columns of a saved transfer, their meanings to check and change (modal); "write
    // again" converts it at once with the changed meanings.
    void showColumnMeanings(const QString& path);
    // The same for the last transfer the journal holds.
    void showLastColumnMeanings();

    void setFileChooser(FileChooser* chooser) { chooser_ = chooser; }
    // Called with the column dialog before it opens (tests answer it from the event loop).
    void setColumnDialogHook(std::function<void(ColumnMeaningsDialog&)> hook) {
        openDialog_ = std::move(hook);
    }
    [[nodiscard]] FileChooser& fileChooser() { return *chooser_; }
    [[nodiscard]] ReceiveJournal* journal() const { return journal_; }
    [[nodiscard]] Session& session() { return c_.s; }
    [[nodiscard]] const ReconvertContext& context() const { return c_; }
    [[nodiscard]] QPushButton* button() const { return button_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool convertHeld(const QString& path);

    ReconvertContext c_;
    ReceiveJournal* journal_;
    QPushButton* button_;
    std::unique_ptr<FileChooser> ownChooser_;
    FileChooser* chooser_;
    std::function<void(ColumnMeaningsDialog&)> openDialog_;
};

}  // namespace fenmor
