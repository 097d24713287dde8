// The serial port the receive side reads: port number, settings text, flow control, open
// state, the bytes waiting and one communication event at a time, over QSerialPort.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QQueue>
#include <QSerialPort>
#include <QString>
#include <QTimer>

namespace fenmor {

struct CommError {
    int number = 0;
    QString description;
};

// Event codes raised through OnComm.
enum CommEventCode : int {
    kCommReceived = 2,
    kCommCtsChanged = 3,
    kCommDsrChanged = 4,
    kCommCdChanged = 5,
    kCommRing = 6,
    // The port reported a failure other than losing its device.
    kCommDeviceError = 1011,
    // The device went away (adapter pulled, far end of a pseudo-terminal closed); the port
    // has been closed. Not one of the line errors the window names, so it shows it as an
    // undefined error.
    kCommPortLost = 1012,
};

// Error numbers of the operations.
enum CommErrorNumber : int {
    kCommInvalidValue = 380,  // settings text or port number not acceptable
    kCommOpenFailed = 8002,   // the port's device cannot be opened
    kCommPortIsOpen = 8005,   // the port number cannot change, or the port open again, while open
    kCommSettingsFailed = 8015,  // the open device refused the new settings
};

// The line-state events between two readings of the pins, in code order: CTS, DSR and CD on
// every change, ring when the ring indicator comes on.
QList<int> PinChangeEvents(QSerialPort::PinoutSignals before, QSerialPort::PinoutSignals after);

class CommPort : public QObject {
    Q_OBJECT

  public:
    // programFolder holds the "dosdevices" folder that may name the devices of the ports;
    // pollIntervalMs is how often the line-state pins are read while the port is open.
    explicit CommPort(const QString& programFolder, int pollIntervalMs = 50,
                      QObject* parent = nullptr);

    // Selects the port (1 to 16) that the next open uses. Refused with kCommPortIsOpen
    // while the port is open, even for the same number.
    bool setCommPort(int n, CommError* err);
    int commPort() const { return portNumber_; }

    // "speed,parity,data bits,stop bits", for example "115200,n,8,1"; parity n, e, o, m or s,
    // data bits 5 to 8, stop bits 1 or 2. Applies at once when the port is open.
    bool setSettings(const QString& s, CommError* err);
    QString settings() const { return settingsText_; }

    // 0 no flow control, 1 XON/XOFF. Applies at once when the port is open; other values
    // are ignored.
    void setHandshaking(int h);
    int handshaking() const { return handshaking_; }

    bool portOpen() const { return port_.isOpen(); }
    // Opening uses the device of the port number and the settings and flow control written
    // before; closing discards what is waiting. Closing a closed port does nothing.
    bool setPortOpen(bool open, CommError* err);

    // All bytes received and not read yet, in arrival order, unchanged; they are removed.
    QByteArray input();
    // The code of the event being reported (valid while OnComm is handled).
    int commEvent() const { return event_; }
    // Bytes that have arrived and wait for their receive event or for input().
    [[nodiscard]] qsizetype bytesWaiting() const {
        return received_.size() + (port_.isOpen() ? port_.bytesAvailable() : 0);
    }
    // Raises an event as if the line had reported it. Qt reports no line errors and a
    // pseudo-terminal no line changes, so this is how those reach the handler in tests.
    void raise(int code) { post(code); }

  Q_SIGNALS:
    // One communication event; read commEvent(). Raised from the event loop of the thread
    // that owns the port, never from inside another OnComm handler's own call into the port.
    void OnComm();
    // The port was closed because its device went away. Raised once, before the
    // kCommPortLost event (preceded by a kCommReceived event when bytes are still waiting).
    void portLost();

  private:
    struct LineSettings {
        qint32 speed = 9600;
        QSerialPort::Parity parity = QSerialPort::NoParity;
        QSerialPort::DataBits dataBits = QSerialPort::Data8;
        QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    };
    static bool ParseSettings(const QString& s, LineSettings* out);
    bool applyLineSettings(const LineSettings& ls);

    void onReadyRead();
    void onError(QSerialPort::SerialPortError e);
    void pollPins();
    void closeLostPort();
    void post(int code);
    void deliverNext();
    void closeAndForget();

    QString programFolder_;
    int portNumber_ = 1;
    QString settingsText_ = QStringLiteral("9600,n,8,1");
    LineSettings line_;
    int handshaking_ = 0;

    QSerialPort port_;
    QTimer pinPoll_;
    QSerialPort::PinoutSignals pins_;
    int ownCalls_ = 0;  // > 0 while this class itself calls the port: errors are its own
    bool lost_ = false;

    QByteArray received_;
    QQueue<int> pending_;
    int event_ = 0;
};

}  // namespace fenmor
