#pragma once

#include "ports.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

class QAudioSink;

// A RIFF WAVE image taken apart: its PCM format and the samples.
struct WaveImage
{
    int formatTag = 0; // 1 for uncompressed PCM
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    QByteArray samples;

    bool isPlayablePcm() const;
    double seconds() const;
};

// Reads the chunks of a WAV file. Bytes that are not a RIFF WAVE with a "fmt "
// and a "data" chunk give an image with formatTag 0, which nothing plays.
WaveImage ParseWave(const QByteArray& bytes);

// The bytes of the game's own recording of that name, loaded afresh each time;
// empty when there is none.
QByteArray LoadResourceSound(const QString& name);

// True when the machine has at least one audio output.
bool WaveDevicePresent();

// Without a sound server the game is silent, as it should be; Qt's PulseAudio
// back end would still report the failed connection on stderr. Call before
// the application object exists.
void QuietMissingSoundServer();

// Plays the recordings through QtMultimedia's QAudioSink, one at a time,
// without waiting. A recording is handed on only once its image reads as PCM
// the output takes. Each plays to its last sample; one stopped early fades
// out in a few milliseconds.
class QtSoundPlayer : public QObject, public SoundPlayer
{
    Q_OBJECT

  public:
    explicit QtSoundPlayer(QObject* parent = nullptr);
    ~QtSoundPlayer() override;

    void play(const QString& name) override;
    void stop() override;
    bool devicePresent() const override;

    // The sound started last, until it ends or is stopped; empty otherwise.
    QString playing() const { return m_playing; }

  protected:
    // The output itself, replaceable so the choice of what to play can be
    // tested on machines without sound.
    virtual bool startOutput(const QString& name, const WaveImage& wave);
    virtual void stopOutput();

  private:
    void finished(quint64 generation);

    QString m_playing;
    quint64 m_generation = 0;
    QPointer<QAudioSink> m_sink; // the sound started last, until it ends or is stopped
};
