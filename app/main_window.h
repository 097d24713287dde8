// frmZ2P, the program's one window: it owns the options (its controls), the data path's state,
// the serial control and the two timers, and wires the controls to their handlers.
#pragma once

#include <QTimer>
#include <QWidget>

#include <memory>

#include "app/config_file.h"
#include "app/controls.h"
#include "app/data_list_view.h"
#include "app/window_options.h"
#include "core/session.h"
#include "serial/comm_port.h"
#include "serial/receive_port.h"

namespace fenmor {

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

    void Form_Load();
    void btMSize_Click();
    // The window's outer size in twips (frame included).
    [[nodiscard]] QSize outerSizeTwips() const;
    void setOuterSizeTwips(int width, int height);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void connectControls();
    void fillLists();
    void Form_Resize();
    void Form_Unload();
    void applyPortSettings();
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
    void disableSpeedList() override;
    WindowPlacement placement() const override;
    void place(const WindowPlacement& p) override;

    QString programFolder_;
    double dpi_;
    Controls c_;
    QTimer Timer1;
    QTimer Timer2;
    std::unique_ptr<MessageService> ownMessages_;
    MessageService* messages_;
    std::unique_ptr<WindowOptions> options_;
    DataListView* list_ = nullptr;
    std::unique_ptr<Session> session_;
    std::unique_ptr<CommPort> port_;
    std::unique_ptr<SerialLink> link_;
    ConfigState config_;
    bool busy_ = false;
    bool unloaded_ = false;
};

}  // namespace fenmor
