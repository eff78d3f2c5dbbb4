// Program entry of the window program.
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "Version.h"
#include "app/AppIcon.h"
#include "app/QtBusyIndicator.h"
#include "app/QtMainThreadDispatcher.h"
#include "app/QtUserMessages.h"
#include "app/TerminalSwitches.h"
#include "app/TerminationSignals.h"
#include "app/TfrmWaveInSample.h"
#include "platform/ErrorDisplay.h"
#include "platform/Thread.h"

int main(int argc, char* argv[]) {
    // Before Qt starts: a platform that needs a display and has none would
    // end the program before it printed anything.
    if (const auto status = zolvane2::AnswerTerminalSwitches(argc, argv)) {
        return *status;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zolvane2"));
    // The desktop entry's name lets Wayland compositors and task bars find the
    // entry and its icon; the icon theme holds the installed icon, the drawn
    // one serves a program run from its build folder.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(zolvane2::version::AppId));
    QApplication::setWindowIcon(QIcon::fromTheme(QString::fromLatin1(zolvane2::version::AppId), zolvane2::AppIcon()));
    zolvane2::SetApplicationTitle("Zolvane2");

    // The window speaks Japanese, so Qt's own dialogs and buttons do too.
    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTranslations);
    }

    zolvane2::QtMainThreadDispatcher dispatcher;
    zolvane2::SetMainThreadDispatcher(&dispatcher);
    zolvane2::QtUserMessages messages;
    zolvane2::SetUserMessages(&messages);
    zolvane2::QtBusyIndicator busy;
    zolvane2::SetBusyIndicator(&busy);

    int result = 0;
    {
        zolvane2::TWindowOptions options;
        options.arguments = QApplication::arguments().mid(1);
        zolvane2::TfrmWaveInSample window(options);
        window.show();
        const zolvane2::TerminationSignals termination([&window] { window.CloseWithoutQuestion(); });
        result = QApplication::exec();
    }
    // Workers that still run may wait for the main thread; release them, then
    // let every thread end before the process does.
    dispatcher.Shutdown();
    zolvane2::ThreadRegistry::JoinAll();
    zolvane2::SetBusyIndicator(nullptr);
    zolvane2::SetUserMessages(nullptr);
    zolvane2::SetMainThreadDispatcher(nullptr);
    return result;
}
