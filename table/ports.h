#pragma once

#include <QString>

// What the table needs from the outside world, behind interfaces so tests can
// script replies, record sounds and press buttons in the middle of a pause.

enum class BoxStyle
{
    Exclamation = 48,
    Information = 64
};

class Host
{
  public:
    virtual ~Host() = default;
    // Modal box with an OK button; returns when the player closes it.
    virtual void messageBox(const QString& prompt, BoxStyle style, const QString& title) = 0;
    // Modal input box; the typed text, or an empty text on Cancel.
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& defaultText) = 0;
    virtual void beep() = 0;
    // Waits 0.3 s while the window keeps handling events.
    virtual void pause() = 0;
};

class SoundPlayer
{
  public:
    virtual ~SoundPlayer() = default;
    // Starts the named sound without waiting; stops the one playing. An unknown
    // name, or no output device, means silence.
    virtual void play(const QString& name) = 0;
    virtual void stop() = 0;
    virtual bool devicePresent() const = 0;
};

// The two calls the game makes, on whatever player it was given.
inline void PlayResourceSound(SoundPlayer& player, const QString& Name)
{
    player.play(Name);
}
inline void StopSound(SoundPlayer& player)
{
    player.stop();
}

class SettingsStore
{
  public:
    virtual ~SettingsStore() = default;
    virtual QString read(const QString& key, const QString& defaultValue) = 0;
    virtual void write(const QString& key, const QString& value) = 0;
    // The store gave no account though it holds something: the next save
    // keeps what it holds beside it before writing over it.
    virtual void keepOriginalOnSave() {}
};
