// Fenmor: receives what a Zaurus PDA sends over a serial line and saves it as files.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <csignal>

#include "app/main_window.h"
#include "app/message_box_service.h"
#include "app/shutdown_signals.h"
#include "core/converter_check.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Fenmor"));
    // Qt's own Japanese texts, so that the standard buttons read はい, いいえ, キャンセル.
    QTranslator qtBase;
    if (qtBase.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtBase);
    // A file-size limit makes a write fail with a message instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    fenmor::MessageBoxService startMessages(nullptr);
    if (!fenmor::CheckConverter(startMessages)) return 2;
    fenmor::frmZ2P window(QCoreApplication::applicationDirPath());
    fenmor::CloseOnShutdownSignals(&window);
    window.Form_Load();
    if (window.unloaded()) return 0;  // ended while start-up showed a message
    window.show();
    return QApplication::exec();
}
