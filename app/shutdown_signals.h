// The end of a session (SIGTERM, SIGHUP) or Ctrl+C closes the window as its close box does,
// so the port is closed and the options are saved.
#pragma once

class QWidget;

namespace fenmor {

void CloseOnShutdownSignals(QWidget* window);

}  // namespace fenmor
