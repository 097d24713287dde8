// What the user is told when a port cannot be opened: why, and what to do about it.
#pragma once

#include <QSerialPort>
#include <QString>
#include <QStringList>

#include "serial/port_inventory.h"

namespace fenmor {

enum class OpenProblem { Missing, NoPermission, InUse, Other };

// Sorts the port's own error out by what the user can do: a device that is not there, one
// the user may not open, one another program holds.
[[nodiscard]] OpenProblem ClassifyOpenFailure(const QString& device,
                                              QSerialPort::SerialPortError error);

// The message for entry e; systemText is the port's own description of the failure, present
// the devices there are now (see DevicesPresent), named when the entry's device is missing.
[[nodiscard]] QString OpenFailureText(const PortEntry& e, OpenProblem problem,
                                      const QString& systemText, const QStringList& present = {});

// One line for each detected device: the entry that reaches it ("COM5: /dev/ttyUSB0  FT232R USB
// UART, FTDI"), or none, when only giving an entry that device makes it reachable.
[[nodiscard]] QStringList DevicesPresent(const QString& programFolder,
                                         const QList<DetectedPort>& detected);

}  // namespace fenmor
