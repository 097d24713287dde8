// Fenmor: receives what a Zaurus PDA sends over a serial line and saves it as files.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <csignal>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/message_box_service.h"
#include "app/shutdown_signals.h"
#include "core/converter_check.h"
#include "locations/app_locations.h"
#include "locations/first_save_folder.h"
#include "locations/user_folders.h"

int main(int argc, char** argv) {
    if (const auto status = fenmor::AnswerCommandLine(argc, argv)) return *status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Fenmor"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.fenmor.Fenmor"));
    // Qt's own Japanese texts, so that the standard buttons read はい, いいえ, キャンセル.
    QTranslator qtBase;
    if (qtBase.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtBase);
    // A file-size limit makes a write fail with a message instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    fenmor::MessageBoxService startMessages(nullptr);
    if (!fenmor::CheckConverter(startMessages)) return 2;

    // An installed copy keeps its settings in the user's configuration folder and saves into
    // the documents folder; a copy started from a folder of its own keeps all in that folder.
    fenmor::AppLocations where = fenmor::ResolveLocations(QCoreApplication::applicationDirPath());
    QStringList notices;
    QString configProblem;
    if (where.installed) {
        if (const QString homeNotice = fenmor::SettleHomeVariable(); !homeNotice.isEmpty()) {
            notices << homeNotice;
            where = fenmor::ResolveLocations(QCoreApplication::applicationDirPath());
        }
        configProblem = fenmor::PrepareConfigFolder(where.programFolder);
        if (!configProblem.isEmpty()) notices << configProblem;
        fenmor::SetFolderMadeOnFirstSave(where.outputFolder);
        if (where.journalFolder.isEmpty())
            notices << QStringLiteral(
                "受信ジャーナルは使いません（置くフォルダーがありません）。"
                "受信したデータは変換されますが、ディスクには控えが残りません。");
    }
    fenmor::frmZ2P window(where.programFolder);
    window.useLocations(where, configProblem);
    fenmor::CloseOnShutdownSignals(&window);
    window.Form_Load();
    if (window.unloaded()) return 0;  // ended while start-up showed a message
    window.show();
    // Shown over the window, so that the user sees what they are about.
    if (!notices.isEmpty())
        QTimer::singleShot(0, &window, [&window, notices] {
            fenmor::MessageBoxService(&window).show(notices.join(QStringLiteral("\r\n\r\n")),
                                                    fenmor::Buttons::Ok, fenmor::Icon::Exclamation,
                                                    QString());
        });
    window.useJournalFolder(where.journalFolder);
    return QApplication::exec();
}
