#include "sound.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QFile>
#include <QIODevice>
#include <QMediaDevices>
#include <QPointer>
#include <QRegularExpression>
#include <QTimer>
#include <QtEndian>
#include <algorithm>
#include <cstring>

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

namespace {

constexpr int kFadeMs = 20;
// Room beyond the sink's own buffer for what the server holds.
constexpr int kDrainMarginMs = 250;

// A sink that cannot play on; an underrun (a busy machine) is no such thing.
bool Failed(const QAudioSink& sink)
{
    return sink.error() != QAudio::NoError && sink.error() != QAudio::UnderrunError;
}

// A recording's samples for a sink to pull. Asked to fade out, it ramps the
// samples not yet taken to silence over kFadeMs and then ends.
class FadingPcm final : public QIODevice
{
  public:
    FadingPcm(const WaveImage& wave, QObject* parent)
        : QIODevice(parent), m_samples(wave.samples),
          m_frameBytes(wave.channels * wave.bitsPerSample / 8),
          m_silence(wave.bitsPerSample == 8 ? 128 : 0),
          m_fadeFrames(std::max(1, wave.sampleRate * kFadeMs / 1000))
    {
        m_end = m_samples.size() - m_samples.size() % m_frameBytes;
        open(QIODevice::ReadOnly);
    }

    void fadeOut()
    {
        if (m_fadeStart >= 0)
            return;
        m_fadeStart = m_position;
        m_end = std::min(m_end, m_position + qint64{m_fadeFrames} * m_frameBytes);
    }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        return m_end - m_position + QIODevice::bytesAvailable();
    }

  protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 n = std::min(maxSize - maxSize % m_frameBytes, m_end - m_position);
        if (n <= 0)
            return 0;
        std::memcpy(data, m_samples.constData() + m_position, static_cast<size_t>(n));
        if (m_fadeStart >= 0)
            ramp(data, n);
        m_position += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    void ramp(char* data, qint64 n) const
    {
        const int sampleBytes = m_silence == 128 ? 1 : 2;
        for (qint64 i = 0; i < n; i += sampleBytes) {
            const qint64 frame = (m_position + i - m_fadeStart) / m_frameBytes;
            // Squared, so most of the level is gone within the first few milliseconds.
            const double rest = 1.0 - static_cast<double>(frame + 1) / m_fadeFrames;
            const double gain = rest * rest;
            if (sampleBytes == 1) {
                const int s = static_cast<quint8>(data[i]) - 128;
                data[i] = static_cast<char>(128 + qRound(s * gain));
            } else {
                const auto s = qFromLittleEndian<qint16>(data + i);
                qToLittleEndian<qint16>(static_cast<qint16>(qRound(s * gain)), data + i);
            }
        }
    }

    QByteArray m_samples;
    int m_frameBytes;
    int m_silence;
    int m_fadeFrames;
    qint64 m_position = 0;
    qint64 m_end = 0;
    qint64 m_fadeStart = -1;
};

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
    // Released here, not left to QObject's destruction of the children:
    // Qt 6.4's PulseAudio output crashed when deleted that late in a sound.
    const QList<QAudioSink*> sinks = findChildren<QAudioSink*>(Qt::FindDirectChildrenOnly);
    for (QAudioSink* sink : sinks) {
        sink->stop();
        delete sink;
    }
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

bool QtSoundPlayer::startOutput(const QString&, const WaveImage& wave)
{
    QAudioFormat format;
    format.setSampleRate(wave.sampleRate);
    format.setChannelCount(wave.channels);
    format.setSampleFormat(wave.bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    auto* sink = new QAudioSink(QMediaDevices::defaultAudioOutput(), format, this);
    auto* source = new FadingPcm(wave, sink);
    const quint64 generation = m_generation;
    // The sink has taken the last sample, or could not play at all; later, as
    // a sink must not be released inside its own signal.
    // A busy machine can starve the sink for a moment, which also reads as
    // idle: only a recording taken to its end has ended.
    connect(sink, &QAudioSink::stateChanged, this,
            [this, sink, source, generation](QAudio::State state) {
                const bool drained = state == QAudio::IdleState && source->bytesAvailable() == 0;
                if (drained || Failed(*sink))
                    QTimer::singleShot(0, this, [this, generation] { finished(generation); });
            });
    sink->start(source);
    if (Failed(*sink)) {
        delete sink;
        return false;
    }
    m_sink = sink;
    return true;
}

void QtSoundPlayer::stopOutput()
{
    if (!m_sink)
        return;
    // The server still holds what the sink has written; a sink let go at once
    // would drop it mid-wave, with a click. So the rest of the recording is
    // faded out, and the sink is released once the server has played it all.
    QAudioSink* sink = m_sink;
    m_sink = nullptr;
    if (auto* source = sink->findChild<FadingPcm*>())
        source->fadeOut();
    const qint64 heldMs = sink->format().durationForBytes(sink->bufferSize()) / 1000;
    QTimer::singleShot(static_cast<int>(heldMs) + kFadeMs + kDrainMarginMs, sink, [sink] {
        sink->stop();
        sink->deleteLater();
    });
}

void QtSoundPlayer::finished(quint64 generation)
{
    if (generation == m_generation && m_sink)
        stop();
}
