#include "main_window.h"
#include "qt_host.h"
#include "random.h"
#include "settings_store.h"
#include "single_instance.h"
#include "sound.h"
#include "startup.h"
#include "unix_signals.h"
#include "x11_desktop.h"

#include <QApplication>
#include <cstdio>

namespace {

// Qt would abort with a message about platform plugins; a player needs to
// hear the one thing that is wrong.
bool GraphicalSessionPresent()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// The X display is what Qt will open: no other platform is asked for, and no
// Wayland session would be tried first.
bool UsesX11Display()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        return platform == "xcb";
    return qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
           !qEnvironmentVariableIsEmpty("DISPLAY");
}

} // namespace

int main(int argc, char* argv[])
{
    if (!GraphicalSessionPresent()) {
        std::fputs("quintara: no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is "
                   "set); start Quintara from a desktop session\n",
                   stderr);
        return 1;
    }
    if (UsesX11Display() && !X11DisplayOpens()) {
        std::fprintf(stderr,
                     "quintara: the display %s cannot be opened; start Quintara from a "
                     "desktop session\n",
                     qgetenv("DISPLAY").constData());
        return 1;
    }
    UnixSignalWatcher::Install();
    QuietMissingSoundServer();
    QApplication app(argc, argv);
    // The store is addressed by organization alone: Tessaro.conf, no sub-folder.
    QCoreApplication::setOrganizationName(QStringLiteral("Tessaro"));
    // Docks match the window to its desktop entry; on Wayland it is the app id.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tessaro.Quintara"));

    QSettingsStore store;
    SingleInstance instance(store.fileName());
    if (instance.claim() == SingleInstance::Role::Second)
        return 0;

    QtHost host;
    QtSoundPlayer sound;
    cards::SystemRandom random;
    frmQuintara window({host, sound, random});
    QObject::connect(&instance, &SingleInstance::activationRequested, &window,
                     [&window] { SingleInstance::bringToFront(window); });

    // A store that cannot be written costs the player this run's account, so
    // they hear why; the game still ends as asked.
    Shutdown shutdown(window, store, [&store] {
        if (!store.sync())
            std::fprintf(stderr, "quintara: the account could not be saved: %s\n",
                         qPrintable(store.errorString()));
        else if (!store.notice().isEmpty())
            std::fprintf(stderr, "quintara: %s\n", qPrintable(store.notice()));
    });
    shutdown.watchSession(app);
    UnixSignalWatcher signalWatcher;
    QObject::connect(&signalWatcher, &UnixSignalWatcher::quitRequested, &shutdown,
                     &Shutdown::requestUnload);

    // The welcome box comes before the window is shown, so it has no owner
    // yet and centres on the screen rather than on a window nobody sees.
    Form_Load(window, store);
    shutdown.startupFinished();
    if (shutdown.unloaded())
        return 0;
    host.setOwner(&window);
    // Centred as the player sees it, frame and all, once the window manager
    // has said what frame it will draw.
    window.centreFrameOnScreen(RequestFrameExtents(window));
    window.show();
    return app.exec();
}
