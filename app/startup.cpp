#include "startup.h"

#include "main_window.h"
#include "pay_table.h"
#include "sound.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLocale>
#include <QSessionManager>
#include <QWidget>

namespace {

const QString kKeyScore = QStringLiteral("Score");
const QString kKeyCardDeck = QStringLiteral("CardDeck");

QString WelcomeText()
{
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("Welcome to Quintara !") + crlf +
           QStringLiteral("You start your game with $100.") + crlf + QStringLiteral("Good Luck !") +
           crlf + crlf +
           QStringLiteral(
               "P.S.: Who reaches $1 000 000 gets a chewing gum ! (Just show it to me).");
}

void CloseModalWindows()
{
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (!modal->close())
            break;
    }
}

} // namespace

void InitGame(frmQuintara& window, SettingsStore& store)
{
    // A store that cannot be read, or holds no number, reads as no score.
    const rules::Opening opening = rules::ReadOpening(
        store.read(kKeyScore, QString()),
        store.read(kKeyCardDeck, QString::number(cards::kDefaultBack)), QLocale());
    window.openGame(opening);
    // The rules start a new player; whatever the store held stays the player's.
    if (!opening.scoreRead)
        store.keepOriginalOnSave();
    if (opening.newPlayer) {
        PlayResourceSound(window.sound(), QString::fromUtf8(hands::kWelcomeSound));
        window.host().messageBox(WelcomeText(), BoxStyle::Exclamation, QStringLiteral("Welcome !"));
    }
    window.showAccount();
    window.beginSession();
}

void Form_Load(frmQuintara& window, SettingsStore& store)
{
    InitGame(window, store);
}

void Form_QueryUnload(const rules::GameState& state, SettingsStore& store)
{
    store.write(kKeyCardDeck, QString::number(state.CardBack));
    store.write(kKeyScore, QString::number(state.Account));
}

Shutdown::Shutdown(frmQuintara& window, SettingsStore& store, std::function<void()> afterSave,
                   std::function<void()> endEventLoops)
    : m_window(window), m_store(store), m_afterSave(std::move(afterSave)),
      m_endEventLoops(std::move(endEventLoops))
{
    if (!m_endEventLoops)
        m_endEventLoops = [] { QCoreApplication::exit(0); };
    connect(&window, &frmQuintara::queryUnload, this, &Shutdown::save);
}

void Shutdown::watchSession(QGuiApplication& app)
{
    connect(&app, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { requestUnload(); });
    // Whatever ends the event loop, the window still unloads, and so saves.
    connect(&app, &QCoreApplication::aboutToQuit, this, [this] {
        if (!m_unloaded)
            m_window.close();
    });
}

void Shutdown::startupFinished()
{
    m_started = true;
    if (m_pendingUnload)
        requestUnload();
}

void Shutdown::requestUnload()
{
    if (!m_started) {
        m_pendingUnload = true;
        CloseModalWindows();
        return;
    }
    if (!m_unloaded)
        m_window.close();
    m_endEventLoops();
}

void Shutdown::save()
{
    // The window reports its unload once; should that ever change, the store
    // is still written only once.
    if (m_unloaded)
        return;
    m_unloaded = true;
    ++m_saves;
    Form_QueryUnload(m_window.state(), m_store);
    if (m_afterSave)
        m_afterSave();
}
