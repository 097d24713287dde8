#include "app/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>

#include "app/entry_validators.h"
#include "app/file_dialog_service.h"
#include "app/message_box_service.h"
#include "app/reconversion.h"
#include "app/system_printer.h"
#include "core/char_conversions.h"
#include "core/data_set.h"
#include "core/help_document.h"
#include "core/received_buffer.h"
#include "dav/dav_state.h"
#include "journal/receive_journal.h"
#include "locations/app_locations.h"
#include "serial/com_names.h"
#include "serial/port_settings.h"

namespace fenmor {
namespace {

// The exporter as the session sees it, telling the window when a run has written its files.
class SendingSink final : public ExportSink {
  public:
    SendingSink(Exporter& exporter, std::function<void()> ended)
        : exporter_(exporter), ended_(std::move(ended)) {}
    void outputFileOpened(OutputFile& file) override { exporter_.outputFileOpened(file); }
    void lineArrived(const QString& line) override { exporter_.lineArrived(line); }
    void recordDispatched(Session& s, const ParsedRecord& parsed) override {
        exporter_.recordDispatched(s, parsed);
    }
    void runEnded(Session& s) override {
        exporter_.runEnded(s);
        ended_();
    }

  private:
    Exporter& exporter_;
    std::function<void()> ended_;
};

constexpr int kStandardWidth = 7680;
constexpr int kStandardHeight = 6480;

void SetBackground(QLabel* label, const QColor& colour) {
    QPalette p = label->palette();
    p.setColor(QPalette::Window, colour);
    label->setPalette(p);
    label->setAutoFillBackground(true);
}

}  // namespace

frmZ2P::frmZ2P(const QString& programFolder, MessageService* messages, int pinPollMs)
    : programFolder_(programFolder),
      dpi_(QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->logicalDotsPerInch()
                                            : 96),
      c_(BuildControls(this, dpi_)) {
    setObjectName(QStringLiteral("frmZ2P"));
    locations_ = PortableLocations(programFolder);
    if (!messages) {
        ownMessages_ = std::make_unique<MessageBoxService>(this);
        messages = ownMessages_.get();
    }
    messages_ = messages;
    options_ = std::make_unique<WindowOptions>(c_, &Timer1, &Timer2);
    list_ = new DataListView(c_.liD);
    session_ =
        std::make_unique<Session>(*options_, *messages_, *list_, static_cast<StatusLabel&>(*this));
    session_->endProgram = [this] { close(); };
    exporter_ = std::make_unique<Exporter>(LoadExportSettings(ExtraSettingsPath(programFolder)));
    sendingSink_ = std::make_unique<SendingSink>(*exporter_, [this] {
        // After the receive path has finished with the run.
        QTimer::singleShot(0, this, [this] {
            if (serverPage_->sendAfterEveryTransfer() && !exporter_->written().isEmpty())
                serverPage_->send(exporter_->written());
        });
    });
    session_->exports = sendingSink_.get();
    loadColumnMap();
    exportPage_ =
        new ExportPage(c_.SSTab1, dpi_, *exporter_, ExtraSettingsPath(programFolder), *messages_);
    connect(exportPage_->btCOLS, &QPushButton::clicked, this, [this] {
        if (reconversion_) reconversion_->showLastColumnMeanings();
    });
    serverPage_ =
        new ServerPage(c_.SSTab1, dpi_, ExtraSettingsPath(programFolder),
                       DefaultStatePath(locations_.dataFolder), session_->opt, *messages_, *list_);
    serverPage_->lastTransferFiles = [this] { return exporter_->written(); };
    interlocks_ = std::make_unique<OptionInterlocks>(c_, *session_);
    ownDialog_ = std::make_unique<FileDialogService>(this);
    dialog_ = ownDialog_.get();
    ownPrinter_ = std::make_unique<SystemPrinter>([this] { return session_->zDEF; },
                                                  [this] { return session_->now(); });
    printer_ = ownPrinter_.get();
    InstallEntryValidators(c_);
    port_ = std::make_unique<CommPort>(programFolder, pinPollMs);
    link_ = std::make_unique<SerialLink>(SerialLink{*session_, *port_, Timer1, Timer2, *this});
    portList_ = std::make_unique<PortList>(c_.cobPT, programFolder, *messages_,
                                           [this](const QString& text) { setText(text, false); });
    // A coarse timer may fire up to 5 % early, and a transfer must not end before a full
    // second of silence.
    Timer1.setTimerType(Qt::PreciseTimer);
    Timer2.setTimerType(Qt::PreciseTimer);
    Timer1.setInterval(1000);
    Timer2.setInterval(200);
    connectControls();
}

frmZ2P::~frmZ2P() { setBusy(false); }

void frmZ2P::connectControls() {
    connect(c_.btSTA, &QPushButton::clicked, this, [this] { TogglePort(*link_); });
    connect(c_.btEND, &QPushButton::clicked, this, &QWidget::close);
    connect(c_.btMSize, &QPushButton::clicked, this, &frmZ2P::btMSize_Click);
    connect(c_.btOPS, &QPushButton::clicked, this, [this] { saveOptions(true); });
    connect(c_.btOPEN, &QPushButton::clicked, this, [this] { btOPEN_Click(*session_, *dialog_); });
    connect(c_.btCOPY, &QPushButton::clicked, this, &frmZ2P::btCOPY_Click);
    connect(c_.btLP, &QPushButton::clicked, this, &frmZ2P::btLP_Click);
    connect(c_.btHELP, &QPushButton::clicked, this, &frmZ2P::btHELP_Click);
    connect(c_.ckCSVD, &QCheckBox::stateChanged, this, [this] { interlocks_->ckCSVD_Click(); });
    const auto onSelect = [this](const auto& group, void (OptionInterlocks::*handler)(int)) {
        for (int i = 0; i < static_cast<int>(group.size()); ++i)
            connect(group[static_cast<size_t>(i)], &QRadioButton::toggled, this,
                    [this, handler, i](bool on) {
                        if (on) (interlocks_.get()->*handler)(i);
                    });
    };
    onSelect(c_.opCSV, &OptionInterlocks::opCSV_Click);
    onSelect(c_.opF, &OptionInterlocks::opF_Click);
    onSelect(c_.opSEPA, &OptionInterlocks::opSEPA_Click);
    connect(port_.get(), &CommPort::OnComm, this, [this] { OnCommEvent(*link_); });
    connect(port_.get(), &CommPort::portLost, this, [this] { PortLost(*link_); });
    connect(&Timer1, &QTimer::timeout, this, [this] { EndOfTransferTick(*link_); });
    connect(&Timer2, &QTimer::timeout, this, [this] { StatusTick(*link_); });
    // Choosing an entry applies it; a list losing its selection chooses nothing.
    for (QComboBox* list : {c_.cobPT, c_.cobSP})
        connect(list, &QComboBox::currentIndexChanged, this, [this](int i) {
            if (i >= 0) applyPortSettings();
        });
    for (int i = 0; i < 2; ++i)
        connect(c_.opIR[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) opIR_Click(i);
        });
}

void frmZ2P::applyPortSettings() {
    setCOM(*session_, *port_, c_.cobPT->currentText(), c_.cobSP->currentText());
}

// The connection type presets the speed and the flow control.
void frmZ2P::opIR_Click(int index) {
    if (c_.cobSP->count() == 0) return;
    const bool cable = index == 1;
    c_.cobSP->setCurrentIndex(cable ? 8 : 13);
    c_.cobSP->setEnabled(cable);
    port_->setHandshaking(cable ? 1 : 0);
}

void frmZ2P::fillLists() {
    const QSignalBlocker portBlocker(c_.cobPT), speedBlocker(c_.cobSP);  // filling chooses nothing
    const QString portText = c_.cobPT->currentText(), speedText = c_.cobSP->currentText();
    for (int n = 1; n <= 16; ++n) {
        c_.cobPT->addItem(QStringLiteral("COM") + QString::number(n));
        c_.cobPT->setItemData(n - 1, DeviceForPort(n, programFolder_), Qt::ToolTipRole);
    }
    c_.cobSP->addItems(kSpeedNames);
    // No entry is selected yet; the lists keep showing their design texts.
    c_.cobPT->setCurrentIndex(-1);
    c_.cobSP->setCurrentIndex(-1);
    c_.cobPT->setEditText(portText);
    c_.cobSP->setEditText(speedText);
}

// Lines of up to about 100 characters can be scrolled into view: 100 spaces measured in the
// list's face at the window's size. (The window's own font stays as it is, because here the
// controls would inherit it.)
void frmZ2P::setListExtent() {
    QFont measure = font();
    measure.setFamily(c_.liD->font().family());
    list_->setHorizontalExtent(QFontMetrics(measure).horizontalAdvance(QString(100, u' ')));
    update();
}

void frmZ2P::useLocations(const AppLocations& where, const QString& configProblem) {
    locations_ = where;
    configProblem_ = configProblem;
    serverPage_->setStateFile(DefaultStatePath(where.dataFolder));
}

// With a configuration folder that cannot be written, a file already there is still read;
// otherwise the options of a first start are taken without a file.
void frmZ2P::loadOptions() {
    const QString path = programFolder_ + QDir::separator() + kConfigFileName;
    if (configProblem_.isEmpty() || (!programFolder_.isEmpty() && QFileInfo(path).isFile()))
        LoadConfig(*this, config_, path);
    else
        StartWithoutConfig(*this, config_);
}

// The end of the program does not repeat the start's notice that the options cannot be saved.
void frmZ2P::saveOptions(bool byButton) {
    if (configProblem_.isEmpty())
        SaveConfig(*this, config_, programFolder_ + QDir::separator() + kConfigFileName);
    else if (byButton)
        config_.Ret = messages_->show(configProblem_, Buttons::Ok, Icon::Exclamation,
                                      QStringLiteral("エラー"));
}

void frmZ2P::Form_Load() {
    setListExtent();
    fillLists();
    btMSize_Click();
    options_->setText(Option::txDF2, QString::fromLatin1(kRawFileNamePattern));
    loadOptions();
    session_->zDEF = WithFinalSeparator(options_->text(Option::txDF0));
    ReportMissingOutputFolder(*messages_, session_->zDEF);
    setText(QStringLiteral("設定後、左のボタンで始めてください！"), false);
    session_->zFMT = options_->text(Option::txYMD);
    Timer1.setInterval(1000);
    Timer1.stop();
    Timer2.setInterval(200);
    Timer2.stop();
    if (options_->value(Option::ckPT) != 0) TogglePort(*link_);
    (void)KanaTable();  // built now rather than in the first transfer
    config_.zVER = QStringLiteral("%1.%2").arg(PROJECT_VERSION_MAJOR).arg(PROJECT_VERSION_PATCH);
    setWindowTitle(QStringLiteral("Fenmor   ") + config_.zVER);
}

void frmZ2P::useJournalFolder(const QString& folder) {
    const auto later = [this](const QString& text) {
        QTimer::singleShot(
            0, this, [this, text] { messages_->show(text, Buttons::Ok, Icon::Exclamation, {}); });
    };
    // Without a folder of its own (no home folder known) the program journals nowhere.
    if (!folder.isEmpty() && QDir::isAbsolutePath(folder)) {
        QString problem;
        journal_ = std::make_unique<ReceiveJournal>(
            folder, ReadJournalSettings(
                        programFolder_.isEmpty() ? QString() : ExtraSettingsPath(programFolder_),
                        &problem));
        if (!problem.isEmpty()) later(problem);
        // Said after the receive event that met the failure, so the bytes keep their order.
        journal_->onFailure = later;
    }
    link_->journal = journal_.get();
    const auto receiving = [this] {
        return Timer1.isActive() || session_->nDD > 1 || !session_->zDD[1].isEmpty();
    };
    reconversion_ = std::make_unique<Reconversion>(
        ReconvertContext{this, *session_, receiving, [this] { showDataPage(); },
                         [this](bool hold) { hold ? HoldReceived(*link_) : ReleaseHeld(*link_); },
                         [this](const QString& path) { serverPage_->sendSaved(path); },
                         columnMapPath(), [this] { loadColumnMap(); }},
        journal_.get(), QRect(px(4140), px(1500), px(1065), px(270)));
    reconversion_->button()->setFont(c_.btHELP->font());
    QTimer::singleShot(0, reconversion_.get(), &Reconversion::offerRecovery);
}

// The user's column meanings live beside the second settings file.
QString frmZ2P::columnMapPath() const {
    if (programFolder_.isEmpty()) return {};
    return QFileInfo(ExtraSettingsPath(programFolder_)).dir().filePath(kColumnMapFileName);
}

void frmZ2P::loadColumnMap() {
    const QString path = columnMapPath();
    if (path.isEmpty() || !QFileInfo::exists(path)) return exporter_->setColumnMap({});
    ColumnMap map = ReadColumnMap(path);
    if (!map.problems.isEmpty()) {  // said once the window is up; the defaults stand meanwhile
        const QString text = QStringLiteral("項目の意味のファイルに読めない行があります：") +
                             kCrLf + map.problems.join(kCrLf);
        QTimer::singleShot(
            0, this, [this, text] { messages_->show(text, Buttons::Ok, Icon::Exclamation, {}); });
    }
    exporter_->setColumnMap(std::move(map));
}

void frmZ2P::btCOPY_Click() {
    c_.btCOPY->hide();
    const QString text = CopyText(list_->lines(), list_->selectedRows());
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
    c_.btCOPY->show();
}

void frmZ2P::btLP_Click() {
    c_.SSTab1->setCurrentIndex(0);
    const std::optional<QStringList> lines =
        LinesToPrint(*session_, list_->lines(), list_->selectedRows());
    if (!lines) return;
    c_.btLP->hide();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const PrintResult result = printer_->print(*lines);
    QApplication::restoreOverrideCursor();
    c_.btLP->show();
    ReportPrintResult(*session_, result);
}

void frmZ2P::btHELP_Click() {
    c_.SSTab1->setCurrentIndex(0);
    ShowHelpDocument(*session_, locations_.helpFolder);
    list_->selectFirst();
}

void frmZ2P::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    CommError err;
    if (port_->portOpen()) port_->setPortOpen(false, &err);
    session_->nFR2.reset();
    saveOptions(false);
}

void frmZ2P::closeEvent(QCloseEvent* e) {
    Form_Unload();
    e->accept();
}

int frmZ2P::twips(int p) const { return PixelsToTwips(p, dpi_); }
int frmZ2P::px(int t) const { return TwipsToPixels(t, dpi_); }

QSize frmZ2P::outerSizeTwips() const {
    const QRect outer = frameGeometry();
    return {twips(outer.width()), twips(outer.height())};
}

void frmZ2P::setOuterSizeTwips(int width, int height) {
    requestedOuter_ = QSize(width, height);
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(px(width) - frame.width(), px(height) - frame.height());
    Form_Resize();
}

void frmZ2P::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (shown_) return;
    shown_ = true;
    QTimer::singleShot(100, this, &frmZ2P::takeFrameIntoOuterSize);
}

void frmZ2P::takeFrameIntoOuterSize() {
    if (requestedOuter_.isEmpty() || frameGeometry().size() == size()) return;
    const bool asPlaced = placed_ && pos() == placedPos_ && size() == placedClient_;
    setOuterSizeTwips(requestedOuter_.width(), requestedOuter_.height());
    if (asPlaced) placedClient_ = size();
}

void frmZ2P::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    Form_Resize();
}

// Only the tab area and the data list follow the window's size.
void frmZ2P::Form_Resize() {
    const QSize w = outerSizeTwips();
    if (w.width() > kStandardWidth) {
        c_.SSTab1->resize(px(w.width() - 105), c_.SSTab1->height());
        c_.liD->resize(px(w.width() - 212), c_.liD->height());
    } else {
        c_.SSTab1->resize(px(7575), c_.SSTab1->height());
        c_.liD->resize(px(7468), c_.liD->height());
    }
    c_.liD->update();
    if (w.height() > 2385) {
        c_.SSTab1->resize(c_.SSTab1->width(), px(w.height() - 1905));
        c_.liD->resize(c_.liD->width(), px(w.height() - 2385));
    }
}

void frmZ2P::btMSize_Click() {
    setOuterSizeTwips(kStandardWidth, outerSizeTwips().height());
    c_.SSTab1->resize(px(7575), c_.SSTab1->height());
    c_.liD->resize(px(7425), c_.liD->height());
    setOuterSizeTwips(kStandardWidth, kStandardHeight);
    c_.SSTab1->resize(c_.SSTab1->width(), px(4575));
    c_.liD->resize(c_.liD->width(), px(4020));
}

void frmZ2P::showPortState(bool open) {
    c_.btSTA->setText(open ? QStringLiteral("ポートを閉じる (&R)")
                           : QStringLiteral("受信待ち スタート (&R)"));
    SetBackground(c_.laD, open ? QColor(0, 255, 0) : QColor(255, 0, 0));
}

void frmZ2P::setBusy(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void frmZ2P::showDataPage() {
    if (c_.SSTab1->currentIndex() != 0) c_.SSTab1->setCurrentIndex(0);
}

void frmZ2P::beep() { QApplication::beep(); }

void frmZ2P::setText(const QString& text, bool repaintNow) {
    c_.laB->setText(text);
    if (repaintNow) c_.laB->repaint();
}

void frmZ2P::disableSpeedList() { c_.cobSP->setEnabled(false); }

WindowPlacement frmZ2P::placement() const {
    const QRect g = frameGeometry();
    if (placed_ && pos() == placedPos_ && size() == placedClient_) return *placed_;
    return {twips(g.top()), twips(g.height()), twips(g.left()), twips(g.width())};
}

void frmZ2P::place(const WindowPlacement& p) {
    move(px(p.left), px(p.top));
    setOuterSizeTwips(p.width, p.height);
    placed_ = p;
    placedPos_ = pos();
    placedClient_ = size();
}

}  // namespace fenmor
