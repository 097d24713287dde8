// The serial devices this system offers now, and what each COM entry of the port list reaches.
#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace fenmor {

// A serial device as the system reports it.
struct DetectedPort {
    QString device;        // "/dev/ttyUSB0"
    QString description;   // "FT232R USB UART"
    QString manufacturer;  // "FTDI"
    QString serialNumber;
    QString byIdName;  // its name in /dev/serial/by-id, stable across re-plugging; may be empty

    // The name to link a COM entry to: the by-id name where there is one, since the ttyUSB
    // number changes with the order in which adapters are plugged in.
    [[nodiscard]] QString stablePath(const QString& byIdFolder) const;
    // "FT232R USB UART, FTDI, S/N A50285BI" from what is known.
    [[nodiscard]] QString summary() const;
};

// Lists the serial devices present now.
class PortEnumerator {
  public:
    virtual ~PortEnumerator() = default;
    [[nodiscard]] virtual QList<DetectedPort> ports() const = 0;
    [[nodiscard]] virtual QString byIdFolder() const = 0;
};

// The system's ports (QSerialPortInfo), with the names in byIdFolder; a device that only the
// by-id folder names is listed too.
class SystemPortEnumerator final : public PortEnumerator {
  public:
    explicit SystemPortEnumerator(QString byIdFolder = QStringLiteral("/dev/serial/by-id"));
    [[nodiscard]] QList<DetectedPort> ports() const override;
    [[nodiscard]] QString byIdFolder() const override { return byIdFolder_; }

  private:
    QString byIdFolder_;
};

// What COMn reaches now.
struct PortEntry {
    int number = 0;
    QString device;         // what opening COMn uses
    QString linkTarget;     // where dosdevices/comN points, when it is a link; else empty
    bool assigned = false;  // dosdevices/comN exists (a link, even a dangling one, or a file)
    bool present = false;   // the device exists now
    std::optional<DetectedPort> detected;  // the detected device it reaches

    [[nodiscard]] bool danglingLink() const { return !linkTarget.isEmpty() && !present; }
};

[[nodiscard]] PortEntry DescribePortEntry(int n, const QString& programFolder,
                                          const QList<DetectedPort>& detected);
// The line the opened port list shows after "COMn": a mark and what the entry reaches.
[[nodiscard]] QString PortEntryDetail(const PortEntry& e);

// Makes dosdevices/comN in programFolder a link to target, replacing a link that is there.
// A file of another kind there is the user's own and is left alone (false, with the reason).
bool AssignDevice(int n, const QString& programFolder, const QString& target, QString* error);
// Removes the link dosdevices/comN, so that COMn reaches its default device again.
bool RemoveAssignment(int n, const QString& programFolder, QString* error);

}  // namespace fenmor
