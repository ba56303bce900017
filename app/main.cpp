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
    host.setOwner(&window);

    Shutdown shutdown(window, store, [&store] { store.sync(); });
    shutdown.watchSession(app);
    UnixSignalWatcher signalWatcher;
    QObject::connect(&signalWatcher, &UnixSignalWatcher::quitRequested, &shutdown,
                     &Shutdown::requestUnload);

    Form_Load(window, store);
    shutdown.startupFinished();
    if (shutdown.unloaded())
        return 0;
    window.show();
    return app.exec();
}
