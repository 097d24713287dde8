// frmZ2P, the program's one window: it owns the options (its controls), the data path's state,
// the serial control and the two timers, and wires the controls to their handlers.
#pragma once

#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>

#include "app/controls.h"
#include "app/copy_print.h"
#include "app/data_list_view.h"
#include "app/export_page.h"
#include "app/option_interlocks.h"
#include "app/port_list.h"
#include "app/server_page.h"
#include "app/window_options.h"
#include "core/output_file_selection.h"
#include "core/session.h"
#include "export/exporter.h"
#include "locations/app_locations.h"
#include "serial/comm_port.h"
#include "serial/receive_port.h"
#include "settings/config_file.h"

namespace fenmor {

class ReceiveJournal;
class Reconversion;

class frmZ2P final : public QWidget, private ReceiveView, private StatusLabel, private ConfigHost {
    Q_OBJECT
  public:
    // messages: the message service to use, or null for message boxes.
    explicit frmZ2P(const QString& programFolder, MessageService* messages = nullptr,
                    int pinPollMs = 50);
    ~frmZ2P() override;

    [[nodiscard]] const Controls& controls() const { return c_; }
    [[nodiscard]] Session& session() { return *session_; }
    [[nodiscard]] CommPort& port() { return *port_; }
    [[nodiscard]] QTimer& timer1() { return Timer1; }
    [[nodiscard]] DataListView& dataList() { return *list_; }
    [[nodiscard]] double dpi() const { return dpi_; }
    [[nodiscard]] PortList& portList() { return *portList_; }
    [[nodiscard]] ExportPage& exportPage() { return *exportPage_; }
    [[nodiscard]] ServerPage& serverPage() { return *serverPage_; }

    // The file dialog and the printer to use instead of the platform's (tests answer them).
    void setFileDialog(FileDialog* dialog) { dialog_ = dialog; }
    void setPrinter(Printer* printer) { printer_ = printer; }

    // Where the help and a first start's output folder are (the program's folder until this is
    // called), and why the options cannot be saved (empty: they can).
    void useLocations(const AppLocations& where, const QString& configProblem = {});
    void Form_Load();
    // Keeps every transfer in the journal folder, offers an unprocessed one once the window is
    // shown, and adds re-conversion (the command on the saved-data page, dropped files).
    void useJournalFolder(const QString& folder);
    [[nodiscard]] Reconversion* reconversion() const { return reconversion_.get(); }
    [[nodiscard]] bool unloaded() const { return unloaded_; }
    void btMSize_Click();
    void btCOPY_Click();
    void btLP_Click();
    void btHELP_Click();
    // The window's outer size in twips (frame included).
    [[nodiscard]] QSize outerSizeTwips() const;
    void setOuterSizeTwips(int width, int height);

  protected:
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    [[nodiscard]] QString columnMapPath() const;
    void loadColumnMap();
    void connectControls();
    void fillLists();
    void setListExtent();
    void Form_Resize();
    void takeFrameIntoOuterSize();
    void Form_Unload();
    void applyPortSettings();
    void loadOptions();
    void saveOptions(bool byButton);
    void opIR_Click(int index);
    [[nodiscard]] int twips(int px) const;
    [[nodiscard]] int px(int twips) const;

    // ReceiveView
    void showPortState(bool open) override;
    void setBusy(bool busy) override;
    void showDataPage() override;
    void beep() override;
    // StatusLabel
    void setText(const QString& text, bool repaintNow) override;
    // ConfigHost
    OptionSet& options() override { return *options_; }
    MessageService& messages() override { return *messages_; }
    QString programFolder() const override { return programFolder_; }
    QString firstStartOutputFolder() const override { return locations_.outputFolder; }
    void disableSpeedList() override;
    void runOpFHandler(int index) override { interlocks_->opF_Click(index); }
    WindowPlacement placement() const override;
    void place(const WindowPlacement& p) override;

    QString programFolder_;
    AppLocations locations_;
    QString configProblem_;
    double dpi_;
    Controls c_;
    QTimer Timer1;
    QTimer Timer2;
    std::unique_ptr<MessageService> ownMessages_;
    MessageService* messages_;
    std::unique_ptr<WindowOptions> options_;
    DataListView* list_ = nullptr;
    std::unique_ptr<Session> session_;
    std::unique_ptr<Exporter>
        exporter_;  // the files beside the output file; settings in Fenmor.ini
    std::unique_ptr<ExportSink> sendingSink_;  // the exporter, then the sending when ticked
    ExportPage* exportPage_ = nullptr;
    ServerPage* serverPage_ = nullptr;  // "送信先": sending the exports to a server
    std::unique_ptr<OptionInterlocks> interlocks_;
    std::unique_ptr<FileDialog> ownDialog_;
    FileDialog* dialog_ = nullptr;
    std::unique_ptr<Printer> ownPrinter_;
    Printer* printer_ = nullptr;
    std::unique_ptr<CommPort> port_;
    std::unique_ptr<SerialLink> link_;
    std::unique_ptr<PortList> portList_;
    ConfigState config_;
    // The placement read from the file, and the position and client size it gave: saved back
    // as it stood while the window keeps them, so that twips finer than a pixel are not rounded
    // away and a frame the window manager adds later does not grow the stored size.
    std::optional<WindowPlacement> placed_;
    QPoint placedPos_;
    QSize placedClient_;
    // The outer size last asked for, in twips: asked again once the window manager's frame
    // is known, which it is only after the window is first shown.
    QSize requestedOuter_;
    bool shown_ = false;
    bool busy_ = false;
    bool unloaded_ = false;
    std::unique_ptr<ReceiveJournal> journal_;
    std::unique_ptr<Reconversion> reconversion_;
};

}  // namespace fenmor
