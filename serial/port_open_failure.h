// What the user is told when a port cannot be opened: why, and what to do about it.
#pragma once

#include <QSerialPort>
#include <QString>

#include "serial/port_inventory.h"

namespace fenmor {

enum class OpenProblem { Missing, NoPermission, InUse, Other };

// Sorts the port's own error out by what the user can do: a device that is not there, one
// the user may not open, one another program holds.
[[nodiscard]] OpenProblem ClassifyOpenFailure(const QString& device,
                                              QSerialPort::SerialPortError error);

// The message for entry e; systemText is the port's own description of the failure.
[[nodiscard]] QString OpenFailureText(const PortEntry& e, OpenProblem problem,
                                      const QString& systemText);

}  // namespace fenmor
