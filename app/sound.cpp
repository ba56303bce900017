#include "sound.h"

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QRegularExpression>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>
#include <QtEndian>

namespace {

QtMessageHandler g_nextHandler = nullptr;

void DropSoundServerMessages(QtMsgType type, const QMessageLogContext& context,
                             const QString& message)
{
    if (message.startsWith(QLatin1String("PulseAudioService:")))
        return;
    g_nextHandler(type, context, message);
}

quint32 ReadU32(const char* p)
{
    return qFromLittleEndian<quint32>(p);
}
quint16 ReadU16(const char* p)
{
    return qFromLittleEndian<quint16>(p);
}

} // namespace

bool WaveImage::isPlayablePcm() const
{
    return formatTag == 1 && channels >= 1 && sampleRate > 0 &&
           (bitsPerSample == 8 || bitsPerSample == 16) && !samples.isEmpty();
}

double WaveImage::seconds() const
{
    const int frameBytes = channels * bitsPerSample / 8;
    if (frameBytes <= 0 || sampleRate <= 0)
        return 0.0;
    return static_cast<double>(samples.size() / frameBytes) / sampleRate;
}

WaveImage ParseWave(const QByteArray& bytes)
{
    WaveImage wave;
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return wave;
    WaveImage found;
    bool haveFormat = false;
    bool haveData = false;
    qsizetype pos = 12;
    while (pos + 8 <= bytes.size()) {
        const char* chunk = bytes.constData() + pos;
        const qsizetype size = ReadU32(chunk + 4);
        const qsizetype body = pos + 8;
        // A chunk claiming more than the file holds is cut to what is there.
        const qsizetype available = std::min<qsizetype>(size, bytes.size() - body);
        const QByteArray id(chunk, 4);
        if (id == "fmt " && available >= 16) {
            const char* f = bytes.constData() + body;
            found.formatTag = ReadU16(f);
            found.channels = ReadU16(f + 2);
            found.sampleRate = static_cast<int>(ReadU32(f + 4));
            found.bitsPerSample = ReadU16(f + 14);
            haveFormat = true;
        } else if (id == "data") {
            found.samples = bytes.mid(body, available);
            haveData = true;
        }
        pos = body + available + (available & 1); // chunks are word-aligned
    }
    return haveFormat && haveData ? found : wave;
}

QByteArray LoadResourceSound(const QString& name)
{
    static const QRegularExpression kResourceName(QStringLiteral("^[A-Za-z0-9_]+$"));
    if (!kResourceName.match(name).hasMatch())
        return {};
    QFile file(QStringLiteral(":/sounds/%1.wav").arg(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool WaveDevicePresent()
{
    return !QMediaDevices::audioOutputs().isEmpty();
}

void QuietMissingSoundServer()
{
    if (!g_nextHandler)
        g_nextHandler = qInstallMessageHandler(DropSoundServerMessages);
}

QtSoundPlayer::QtSoundPlayer(QObject* parent) : QObject(parent) {}

QtSoundPlayer::~QtSoundPlayer()
{
    // Released here, not left to the member destructors: Qt 6.4's PulseAudio
    // output crashed when deleted that late in the middle of a sound.
    QtSoundPlayer::stopOutput();
}

void QtSoundPlayer::play(const QString& name)
{
    const QByteArray image = LoadResourceSound(name);
    // Without an output nothing plays and nothing else changes; checking first
    // also keeps a sink from pretending to play into nowhere.
    if (!devicePresent())
        return;
    stop();
    const WaveImage wave = ParseWave(image);
    if (!wave.isPlayablePcm())
        return; // an unknown name silences the table
    if (startOutput(name, wave))
        m_playing = name;
}

void QtSoundPlayer::stop()
{
    ++m_generation;
    m_playing.clear();
    stopOutput();
}

bool QtSoundPlayer::devicePresent() const
{
    return WaveDevicePresent();
}

bool QtSoundPlayer::startOutput(const QString& name, const WaveImage&)
{
    auto effect = std::make_unique<QSoundEffect>();
    QSoundEffect* started = effect.get();
    const quint64 generation = m_generation;
    // The end of the sound, or a recording the output could not take, frees
    // the player; later, as an effect must not be deleted inside its signal.
    const auto finishLater = [this, started, generation] {
        if (!started->isPlaying() || started->status() == QSoundEffect::Error)
            QTimer::singleShot(0, this, [this, generation] { finished(generation); });
    };
    started->setSource(QUrl(QStringLiteral("qrc:/sounds/%1.wav").arg(name)));
    started->play();
    if (started->status() == QSoundEffect::Error)
        return false;
    // Watched from here on, so that loading's own first steps end nothing.
    connect(started, &QSoundEffect::playingChanged, this, finishLater);
    connect(started, &QSoundEffect::statusChanged, this, finishLater);
    m_effect = std::move(effect);
    return true;
}

void QtSoundPlayer::stopOutput()
{
    if (m_effect)
        m_effect->stop();
    m_effect.reset();
}

void QtSoundPlayer::finished(quint64 generation)
{
    if (generation == m_generation && m_effect)
        stop();
}
