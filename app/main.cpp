#include "main_window.h"
#include "qt_host.h"
#include "random.h"

#include <QApplication>

namespace {

// Silence until the real player is wired.
class SilentPlayer final : public SoundPlayer
{
  public:
    void play(const QString&) override {}
    void stop() override {}
    bool devicePresent() const override { return false; }
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QtHost host;
    SilentPlayer sound;
    cards::SystemRandom random;
    frmQuintara window({host, sound, random});
    host.setOwner(&window);
    window.show();
    return app.exec();
}
