// The program: answers "--help" and "--version", checks for a display, hands over to a clock already
// running on the same settings, or creates the main window and runs until it closes.
#include "app/commandline.h"
#include "app/cv_main.h"
#include "app/startup.h"
#include "platform/localclock.h"
#include "platform/qt/qtlocaleformats.h"
#include "platform/qt/qtmessagepump.h"
#include "platform/qt/qtshellopener.h"
#include "platform/qt/qtsingleinstance.h"
#include "platform/qt/qtstartupwarmup.h"
#include "platform/qt/qtuserfolders.h"
#include "platform/session.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSocketNotifier>
#include <QTranslator>
#include <cstdio>

namespace {

// A polite end (the session closing, a kill without -9) closes the window the ordinary way, so the
// window's place is saved as on any other exit.
void CloseOnEndRequest(TcvMain& window)
{
    const int handle = OpenEndRequests();
    if (handle < 0)
        return;
    auto* notifier = new QSocketNotifier(handle, QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, handle] {
        TakeEndRequest(handle);
        window.EndOnRequest();
    });
}

} // namespace

int main(int argc, char* argv[])
{
    if (const CommandLineRequest request = ReadCommandLine(argc, argv); request != CommandLineRequest::RunClock) {
        std::fputs(CommandLineAnswer(request).c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (const std::string problem = DisplayProblem(); !problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 1;
    }
    StartUpWarmUp warmUp;
    QApplication application(argc, argv);
    const StartUpWarmUp::WithApplication warmUpWithApplication(warmUp);
    // The desktop entry's id names the window to the desktop: the Wayland app id, the X11 window class.
    QApplication::setApplicationName(QStringLiteral("example.veltrix.Chronivo"));
    QApplication::setDesktopFileName(QStringLiteral("example.veltrix.Chronivo"));
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
    const std::string settingsPath = SettingsFolder(appPath, UserConfigFolder());
    // One clock per settings file: a second start brings the running one to the front instead.
    SingleInstance instance(settingsPath);
    if (!instance.BecomeFirst()) {
        if (instance.ShowRunning())
            return 0;
        std::fprintf(stderr, "Chronivo is already running on %s, but does not answer.\n", settingsPath.c_str());
        return 1;
    }
    if (settingsPath != appPath)
        MakeFolder(settingsPath);
    TcvMain cvMain(appPath, std::move(services), settingsPath);
    QObject::connect(&instance, &SingleInstance::showRequested, &cvMain, &TcvMain::BringToFront);
    CloseOnEndRequest(cvMain);
    cvMain.ShowAtStart();
    return QApplication::exec();
}
