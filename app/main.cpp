// Fenmor: receives what a Zaurus PDA sends over a serial line and saves it as files.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/main_window.h"
#include "app/shutdown_signals.h"
#include "locations/app_locations.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Fenmor"));
    // Qt's own Japanese texts, so that the standard buttons read はい, いいえ, キャンセル.
    QTranslator qtBase;
    if (qtBase.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtBase);
    fenmor::frmZ2P window(QCoreApplication::applicationDirPath());
    fenmor::CloseOnShutdownSignals(&window);
    window.Form_Load();
    if (window.unloaded()) return 0;  // ended while start-up showed a message
    window.show();
    window.useJournalFolder(fenmor::ResolveLocations(QCoreApplication::applicationDirPath()).journalFolder);
    return QApplication::exec();
}
