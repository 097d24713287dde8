// Which device a COM port number stands for on this system.
#pragma once

#include <QString>

namespace fenmor {

// The device of COMn (n 1 to 16) when nothing overrides it: COM1-COM4 are /dev/ttyS0-3,
// COM5-COM8 /dev/ttyUSB0-3, COM9-COM12 /dev/ttyACM0-3 and COM13-COM16 /dev/ircomm0-3.
// Empty for any other n.
QString DefaultDeviceForPort(int n);

// The device that opening COMn uses. An entry "comN" (lower case) in the folder "dosdevices"
// beside the program replaces the default: a symbolic link gives its target (the device that
// the link points to, even when that device is missing now, so that opening it fails rather
// than reaching another port), any other kind of entry gives its own path. Empty for an n
// outside 1 to 16.
QString DeviceForPort(int n, const QString& programFolder);

}  // namespace fenmor
