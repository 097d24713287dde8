// Port, speed and connection type, applied to the serial control as the user chooses them.
#pragma once

#include <QString>

#include "core/session.h"
#include "serial/comm_port.h"

namespace fenmor {

// Applies the port list's and the speed list's texts ("COM12", "19200").
void setCOM(Session& s, CommPort& port, const QString& portText, const QString& speedText);

// The port number at the end of a port text: "COM12" gives 12, "com1" 1; 0 without digits.
[[nodiscard]] int PortNumberOf(const QString& portText);

}  // namespace fenmor
