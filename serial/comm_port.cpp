#include "serial/comm_port.h"

#include <utility>

#include "serial/com_names.h"
#include "serial/port_open_failure.h"

namespace fenmor {
namespace {

// Marks a call this class makes into the port: errors the port reports meanwhile belong to
// that call's result, not to the line.
class OwnCall {
  public:
    explicit OwnCall(int& depth) : depth_(depth) { ++depth_; }
    ~OwnCall() { --depth_; }
    OwnCall(const OwnCall&) = delete;
    OwnCall& operator=(const OwnCall&) = delete;

  private:
    int& depth_;
};

bool Fail(CommError* err, int number, const QString& description) {
    if (err) *err = {number, description};
    return false;
}

}  // namespace

QList<int> PinChangeEvents(QSerialPort::PinoutSignals before, QSerialPort::PinoutSignals after) {
    const QSerialPort::PinoutSignals changed = before ^ after;
    QList<int> events;
    if (changed & QSerialPort::ClearToSendSignal) events << kCommCtsChanged;
    if (changed & QSerialPort::DataSetReadySignal) events << kCommDsrChanged;
    if (changed & QSerialPort::DataCarrierDetectSignal) events << kCommCdChanged;
    if (changed & after & QSerialPort::RingIndicatorSignal) events << kCommRing;
    return events;
}

CommPort::CommPort(const QString& programFolder, int pollIntervalMs, QObject* parent)
    : QObject(parent), programFolder_(programFolder) {
    {
        OwnCall call(ownCalls_);
        applyLineSettings(line_);
        port_.setFlowControl(QSerialPort::NoFlowControl);
    }
    pinPoll_.setInterval(pollIntervalMs);
    connect(&port_, &QSerialPort::readyRead, this, &CommPort::onReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &CommPort::onError);
    connect(&pinPoll_, &QTimer::timeout, this, &CommPort::pollPins);
}

bool CommPort::setCommPort(int n, CommError* err) {
    if (port_.isOpen())
        return Fail(err, kCommPortIsOpen,
                    QStringLiteral("ポートが開いている間はポート番号を変更できません。"));
    if (n < 1 || n > 16)
        return Fail(err, kCommInvalidValue,
                    QStringLiteral("ポート番号は 1 から 16 までです（%1）。").arg(n));
    portNumber_ = n;
    return true;
}

bool CommPort::ParseSettings(const QString& s, LineSettings* out) {
    const QStringList parts = s.split(QLatin1Char(','));
    if (parts.size() != 4) return false;
    bool ok = false;
    const int speed = parts[0].trimmed().toInt(&ok);
    if (!ok || speed <= 0) return false;
    out->speed = speed;

    const QString parity = parts[1].trimmed().toLower();
    if (parity == u"n")
        out->parity = QSerialPort::NoParity;
    else if (parity == u"e")
        out->parity = QSerialPort::EvenParity;
    else if (parity == u"o")
        out->parity = QSerialPort::OddParity;
    else if (parity == u"m")
        out->parity = QSerialPort::MarkParity;
    else if (parity == u"s")
        out->parity = QSerialPort::SpaceParity;
    else
        return false;

    const int dataBits = parts[2].trimmed().toInt(&ok);
    if (!ok || dataBits < 5 || dataBits > 8) return false;
    out->dataBits = static_cast<QSerialPort::DataBits>(dataBits);

    const QString stop = parts[3].trimmed();
    if (stop == u"1")
        out->stopBits = QSerialPort::OneStop;
    else if (stop == u"2")
        out->stopBits = QSerialPort::TwoStop;
    else
        return false;
    return true;
}

// While the port is closed the setters only store the values, which opening applies.
bool CommPort::applyLineSettings(const LineSettings& ls) {
    return port_.setBaudRate(ls.speed) && port_.setParity(ls.parity) &&
           port_.setDataBits(ls.dataBits) && port_.setStopBits(ls.stopBits);
}

bool CommPort::setSettings(const QString& s, CommError* err) {
    LineSettings ls;
    if (!ParseSettings(s, &ls))
        return Fail(err, kCommInvalidValue,
                    QStringLiteral("通信設定「%1」が正しくありません（例: 9600,n,8,1）。").arg(s));
    OwnCall call(ownCalls_);
    if (!applyLineSettings(ls)) {
        const QString why = port_.errorString();
        applyLineSettings(line_);
        port_.clearError();
        return Fail(err, kCommSettingsFailed,
                    QStringLiteral("ポートに通信設定「%1」を設定できません: %2").arg(s, why));
    }
    line_ = ls;
    settingsText_ = s;
    return true;
}

void CommPort::setHandshaking(int h) {
    if (h != 0 && h != 1) return;
    handshaking_ = h;
    OwnCall call(ownCalls_);
    port_.setFlowControl(h == 1 ? QSerialPort::SoftwareControl : QSerialPort::NoFlowControl);
}

bool CommPort::setPortOpen(bool open, CommError* err) {
    if (!open) {
        if (port_.isOpen()) closeAndForget();
        return true;
    }
    if (port_.isOpen())
        return Fail(err, kCommPortIsOpen, QStringLiteral("ポートは既に開いています。"));

    const QString device = DeviceForPort(portNumber_, programFolder_);
    OwnCall call(ownCalls_);
    port_.setPortName(device);
    if (!port_.open(QIODevice::ReadWrite)) {
        const QString why = port_.errorString();
        const OpenProblem problem = ClassifyOpenFailure(device, port_.error());
        port_.clearError();
        const QStringList present =
            problem == OpenProblem::Missing
                ? DevicesPresent(programFolder_, SystemPortEnumerator().ports())
                : QStringList();
        return Fail(err, kCommOpenFailed,
                    OpenFailureText(DescribePortEntry(portNumber_, programFolder_, {}), problem,
                                    why, present));
    }
    received_.clear();
    pending_.clear();
    lost_ = false;

    // Qt signals no change of CTS, DSR, CD or ring, so the pins are polled. A device without
    // modem lines (a pseudo-terminal, some infrared ports) cannot be asked and is not polled.
    pins_ = port_.pinoutSignals();
    if (port_.error() == QSerialPort::NoError)
        pinPoll_.start();
    else
        port_.clearError();
    return true;
}

void CommPort::closeAndForget() {
    OwnCall call(ownCalls_);
    pinPoll_.stop();
    port_.close();
    received_.clear();
    pending_.clear();
    lost_ = false;
}

QByteArray CommPort::input() {
    if (port_.isOpen()) received_ += port_.readAll();
    return std::exchange(received_, QByteArray());
}

void CommPort::onReadyRead() {
    received_ += port_.readAll();
    if (!received_.isEmpty()) post(kCommReceived);
}

void CommPort::pollPins() {
    OwnCall call(ownCalls_);
    const QSerialPort::PinoutSignals now = port_.pinoutSignals();
    if (port_.error() != QSerialPort::NoError) {
        // The pins can no longer be read; a device that went away shows up on the read side.
        pinPoll_.stop();
        port_.clearError();
        return;
    }
    for (int code : PinChangeEvents(pins_, now)) post(code);
    pins_ = now;
}

void CommPort::onError(QSerialPort::SerialPortError e) {
    if (e == QSerialPort::NoError || ownCalls_ > 0 || !port_.isOpen() || lost_) return;
    if (e == QSerialPort::ReadError || e == QSerialPort::ResourceError) {
        // A device that went away fails every read for as long as it stays open (a pulled
        // adapter with EIO, the far end of a pseudo-terminal with end of file), so this is
        // reported once and the port closed. Not here: this runs inside the port's own read
        // handling, which must not have the port closed under it.
        lost_ = true;
        QMetaObject::invokeMethod(this, &CommPort::closeLostPort, Qt::QueuedConnection);
        return;
    }
    {
        OwnCall call(ownCalls_);
        port_.clearError();
    }
    post(kCommDeviceError);
}

void CommPort::closeLostPort() {
    if (!lost_ || !port_.isOpen()) return;  // closed or reopened in the meantime
    received_ += port_.readAll();           // what was read before the failure stays
    {
        OwnCall call(ownCalls_);
        pinPoll_.stop();
        port_.close();
    }
    if (!received_.isEmpty()) post(kCommReceived);
    post(kCommPortLost);
    Q_EMIT portLost();
}

// Events wait in a queue and are raised one per pass of the event loop, so that OnComm never
// runs inside the port's own signal handling nor inside the handler of an earlier event.
void CommPort::post(int code) {
    // One waiting receive event covers every byte waiting; one waiting device error covers
    // a repeated failure.
    if ((code == kCommReceived || code == kCommDeviceError) && pending_.contains(code)) return;
    pending_.enqueue(code);
    if (pending_.size() == 1)
        QMetaObject::invokeMethod(this, &CommPort::deliverNext, Qt::QueuedConnection);
}

void CommPort::deliverNext() {
    while (!pending_.isEmpty()) {
        const int code = pending_.dequeue();
        // An earlier handler's input() already took the bytes this event announced.
        if (code == kCommReceived && received_.isEmpty()) continue;
        if (!pending_.isEmpty())
            QMetaObject::invokeMethod(this, &CommPort::deliverNext, Qt::QueuedConnection);
        event_ = code;
        Q_EMIT OnComm();
        return;
    }
}

}  // namespace fenmor
