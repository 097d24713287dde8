#include "app/shutdown_signals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <csignal>

namespace fenmor {
namespace {

int g_wake[2] = {-1, -1};

// Only async-signal-safe work here: the event loop reads the byte and closes the window.
void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(g_wake[0], &byte, 1);
}

}  // namespace

void CloseOnShutdownSignals(QWidget* window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_wake) != 0) return;
    auto* notifier = new QSocketNotifier(g_wake[1], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
        char byte;
        [[maybe_unused]] const auto n = ::read(g_wake[1], &byte, 1);
        window->close();
        QApplication::closeAllWindows();  // a question still open would keep the program running
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGHUP, SIGINT}) sigaction(sig, &action, nullptr);
}

}  // namespace fenmor
