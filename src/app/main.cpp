// The program: checks for a display, creates the main window and runs until it closes.
#include "app/cv_main.h"
#include "app/startup.h"
#include "app/utils.h"
#include "platform/localclock.h"
#include "platform/qt/qtlocaleformats.h"
#include "platform/qt/qtmessagepump.h"
#include "platform/qt/qtshellopener.h"
#include "platform/qt/qtuserfolders.h"
#include "platform/session.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSocketNotifier>
#include <QTranslator>
#include <chrono>
#include <cstdio>

namespace {

constexpr std::chrono::seconds kExitSaveWait{5};

// A polite end (the session closing, a kill without -9) closes the window the ordinary way, so the
// window's place is saved as on any other exit.
void CloseOnEndRequest(QWidget& window)
{
    const int handle = OpenEndRequests();
    if (handle < 0)
        return;
    auto* notifier = new QSocketNotifier(handle, QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, handle] {
        TakeEndRequest(handle);
        window.close();
    });
}

} // namespace

int main(int argc, char* argv[])
{
    if (const std::string problem = DisplayProblem(); !problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltrix Chronivo"));
    QApplication::setQuitOnLastWindowClosed(true);

    MainServices services{MakeSystemLocalClock(), std::make_unique<QtLocaleFormats>(),
                          std::make_unique<QtShellOpener>()};
    services.timeSync.pump = std::make_unique<QtMessagePump>();
    // The program, unlike its tests, may set the computer's clock.
    services.timeSync.setter = MakeSystemClockSetter(*services.timeSync.pump);
    const std::string appPath = QCoreApplication::applicationDirPath().toStdString() + '/';
    // English is the source; a translation for the user's language is used when one is installed
    // (share/chronivo/translations, or translations/ beside a portable copy).
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
    QTranslator translator;
    const QString appDir = QString::fromStdString(appPath);
    for (const QString& folder :
         {appDir + QStringLiteral("../share/chronivo/translations"), appDir + QStringLiteral("translations")})
        if (translator.load(QLocale(), QStringLiteral("chronivo"), QStringLiteral("_"), folder)) {
            QApplication::installTranslator(&translator);
            break;
        }
    // A copy in a folder of its own keeps its settings beside it; an installed one, in the user's folder.
    const std::string settingsPath = SettingsFolder(appPath, IsFolderWritable(appPath), UserConfigFolder());
    if (settingsPath != appPath)
        MakeFolder(settingsPath);
    TcvMain cvMain(appPath, std::move(services), settingsPath);
    CloseOnEndRequest(cvMain);
    cvMain.show();
    const int status = QApplication::exec();
    // The window is gone; its last save may still wait for a lock another program holds. It gets a
    // few seconds, then the program ends and says what was not saved.
    if (std::string reason; !FinishIniSaves(kExitSaveWait, reason))
        std::fprintf(stderr, "chronivo: %s\n", reason.c_str());
    return status;
}
