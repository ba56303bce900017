#include "main_window.h"
#include "qt_host.h"
#include "random.h"
#include "settings_store.h"
#include "sound.h"
#include "startup.h"
#include "unix_signals.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    UnixSignalWatcher::Install();
    QApplication app(argc, argv);
    // The store is addressed by organization alone: Tessaro.conf, no sub-folder.
    QCoreApplication::setOrganizationName(QStringLiteral("Tessaro"));

    QtHost host;
    QtSoundPlayer sound;
    cards::SystemRandom random;
    QSettingsStore store;
    frmQuintara window({host, sound, random});

    Shutdown shutdown(window, store, [&store] { store.sync(); });
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
    window.show();
    return app.exec();
}
