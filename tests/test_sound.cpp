#include "pay_table.h"
#include "sound.h"

#include <QProcess>
#include <QtTest>
#include <cstring>

namespace {

QString FromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

struct Format
{
    int rate;
    int bits;
    double seconds;
};

// The recordings the game carries, as the resource table lists them.
const QMap<QString, Format>& ExpectedFormats()
{
    static const QMap<QString, Format> formats = {
        {"DATA_0", {22050, 16, 0.86}},   {"DATA_1", {16000, 16, 0.49}},
        {"DATA_2", {22050, 16, 1.08}},   {"DATA_3", {16000, 16, 1.42}},
        {"DATA_5", {16000, 16, 1.41}},   {"DATA_7", {11025, 8, 1.92}},
        {"DATA_10", {22050, 8, 1.26}},   {"DATA_50", {22050, 16, 4.40}},
        {"DATA_100", {22050, 16, 4.49}}, {"DATA_500", {22050, 16, 7.52}},
        {"DATA_DEF", {11025, 8, 5.66}},
    };
    return formats;
}

// Chooses what to play exactly like the real player, but records instead of
// opening an audio output, so it runs on machines without sound.
class ScriptedOutputPlayer final : public QtSoundPlayer
{
  public:
    bool device = true;
    QStringList events;

    bool devicePresent() const override { return device; }

  protected:
    bool startOutput(const QString&, const WaveImage& wave) override
    {
        events << QStringLiteral("start %1 Hz").arg(wave.sampleRate);
        return true;
    }
    void stopOutput() override { events << QStringLiteral("stop"); }
};

QByteArray Riff(const QByteArray& chunks)
{
    QByteArray bytes("RIFF");
    const quint32 size = static_cast<quint32>(4 + chunks.size());
    bytes.append(reinterpret_cast<const char*>(&size), 4);
    return bytes + "WAVE" + chunks;
}

QByteArray Chunk(const char* id, const QByteArray& body)
{
    QByteArray bytes(id, 4);
    const quint32 size = static_cast<quint32>(body.size());
    bytes.append(reinterpret_cast<const char*>(&size), 4);
    bytes += body;
    if (body.size() % 2)
        bytes += '\0';
    return bytes;
}

QByteArray FormatBody(quint16 tag, quint16 channels, quint32 rate, quint16 bits)
{
    QByteArray body;
    const quint16 align = static_cast<quint16>(channels * bits / 8);
    const quint32 byteRate = rate * align;
    body.append(reinterpret_cast<const char*>(&tag), 2);
    body.append(reinterpret_cast<const char*>(&channels), 2);
    body.append(reinterpret_cast<const char*>(&rate), 4);
    body.append(reinterpret_cast<const char*>(&byteRate), 4);
    body.append(reinterpret_cast<const char*>(&align), 2);
    body.append(reinterpret_cast<const char*>(&bits), 2);
    return body;
}

// What the sound server really played: its null sink's monitor, recorded as
// 16-bit mono at 44100 Hz from before a sound starts until well after it ends.
class MonitorRecording
{
  public:
    static constexpr int kRate = 44100;

    bool start()
    {
        m_parec.start(QStringLiteral("parec"),
                      {QStringLiteral("--device=null.monitor"), QStringLiteral("--format=s16le"),
                       QStringLiteral("--channels=1"), QStringLiteral("--rate=44100"),
                       QStringLiteral("--latency-msec=10"), QStringLiteral("--raw")});
        if (!m_parec.waitForStarted(5000))
            return false;
        // The monitor sends silence from the moment the stream is up.
        return QTest::qWaitFor([this] { return m_parec.bytesAvailable() > 0; }, 5000);
    }

    QVector<qint16> stop()
    {
        QTest::qWait(100);
        m_parec.terminate();
        m_parec.waitForFinished(5000);
        const QByteArray bytes = m_parec.readAllStandardOutput();
        QVector<qint16> samples(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.constData(), static_cast<size_t>(samples.size()) * 2);
        return samples;
    }

  private:
    QProcess m_parec;
};

// Where a sound is audible: from its first to its last sample louder than a
// fiftieth of its peak, with the level of its last 10 ms and the largest step
// between two samples of its last 5 ms.
struct Audible
{
    double seconds = 0;
    int peak = 0;
    int tailPeak = 0;
    int tailJump = 0;
};

Audible MeasureAudible(const QVector<int>& samples, int rate)
{
    Audible a;
    for (int x : samples)
        a.peak = std::max(a.peak, qAbs(x));
    const int threshold = a.peak / 50;
    qsizetype first = -1;
    qsizetype last = -1;
    for (qsizetype i = 0; i < samples.size(); ++i) {
        if (qAbs(samples[i]) > threshold) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0)
        return a;
    a.seconds = static_cast<double>(last - first) / rate;
    for (qsizetype i = std::max<qsizetype>(first, last - rate / 100); i <= last; ++i)
        a.tailPeak = std::max(a.tailPeak, qAbs(samples[i]));
    for (qsizetype i = std::max<qsizetype>(first + 1, last - rate / 200);
         i <= last + 1 && i < samples.size(); ++i)
        a.tailJump = std::max(a.tailJump, qAbs(samples[i] - samples[i - 1]));
    return a;
}

// A recording's samples on one 16-bit scale, as the server plays 8-bit ones.
QVector<int> SixteenBitSamples(const WaveImage& wave)
{
    QVector<int> samples;
    if (wave.bitsPerSample == 8) {
        for (char byte : wave.samples)
            samples << (static_cast<int>(static_cast<quint8>(byte)) - 128) * 256;
    } else {
        for (qsizetype i = 0; i + 1 < wave.samples.size(); i += 2)
            samples << qFromLittleEndian<qint16>(wave.samples.constData() + i);
    }
    return samples;
}

QVector<int> Widened(const QVector<qint16>& samples)
{
    return {samples.cbegin(), samples.cend()};
}

} // namespace

class TestSound : public QObject
{
    Q_OBJECT

  private slots:
    void everyGameSoundIsCarried_data();
    void everyGameSoundIsCarried();
    void onlyTheListedSoundsAreCarried();
    void parseWave_data();
    void parseWave();
    void playerChoosesWhatToPlay_data();
    void playerChoosesWhatToPlay();
    void realOutputPlaysAndStops_data();
    void realOutputPlaysAndStops();
    void realOutputIsWhole_data();
    void realOutputIsWhole();
    void stoppedSoundFadesOut();
    void stoppedSoundLeavesTheNextPlaying();
};

void TestSound::everyGameSoundIsCarried_data()
{
    QTest::addColumn<QString>("name");
    for (const hands::PayRow& row : hands::kPayTable) {
        const QString name = QStringLiteral("DATA_%1").arg(row.multiplier);
        QCOMPARE(FromView(row.sound), name);
        QTest::newRow(qPrintable(name)) << name;
    }
    QTest::newRow("welcome") << FromView(hands::kWelcomeSound);
    QTest::newRow("farewell") << FromView(hands::kFarewellSound);
}

void TestSound::everyGameSoundIsCarried()
{
    QFETCH(QString, name);
    QVERIFY2(ExpectedFormats().contains(name), qPrintable(name));
    const Format expected = ExpectedFormats().value(name);

    const QByteArray bytes = LoadResourceSound(name);
    QVERIFY2(!bytes.isEmpty(), qPrintable(name));
    QCOMPARE(bytes.left(4), QByteArray("RIFF"));
    QCOMPARE(bytes.mid(8, 4), QByteArray("WAVE"));
    const WaveImage wave = ParseWave(bytes);
    QCOMPARE(wave.formatTag, 1);
    QCOMPARE(wave.channels, 1);
    QCOMPARE(wave.sampleRate, expected.rate);
    QCOMPARE(wave.bitsPerSample, expected.bits);
    QVERIFY2(qAbs(wave.seconds() - expected.seconds) <= 0.05,
             qPrintable(QString::number(wave.seconds())));

    // Silent at both ends (faded, so no click) and never at full scale.
    const int silence = expected.bits == 8 ? 128 : 0;
    auto sample = [&](qsizetype frame) {
        if (expected.bits == 8)
            return static_cast<int>(static_cast<quint8>(wave.samples.at(frame)));
        return static_cast<int>(qFromLittleEndian<qint16>(wave.samples.constData() + 2 * frame));
    };
    const qsizetype frames = wave.samples.size() / (expected.bits / 8);
    QVERIFY(qAbs(sample(0) - silence) <= 1);
    QVERIFY(qAbs(sample(frames - 1) - silence) <= 1);
    const int fullScale = expected.bits == 8 ? 127 : 32767;
    int peak = 0;
    for (qsizetype i = 0; i < frames; ++i)
        peak = std::max(peak, qAbs(sample(i) - silence));
    QVERIFY2(peak < fullScale * 0.9, qPrintable(QString::number(peak)));
    QVERIFY2(peak > fullScale * 0.25, qPrintable(QString::number(peak)));
}

void TestSound::onlyTheListedSoundsAreCarried()
{
    QStringList carried = QDir(QStringLiteral(":/sounds")).entryList();
    QStringList listed;
    for (const QString& name : ExpectedFormats().keys())
        listed << name + QStringLiteral(".wav");
    carried.sort();
    listed.sort();
    QCOMPARE(carried, listed);
}

void TestSound::parseWave_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("formatTag");
    QTest::addColumn<int>("sampleRate");
    QTest::addColumn<int>("dataBytes");

    const QByteArray pcm16 = Chunk("fmt ", FormatBody(1, 1, 8000, 16));
    QTest::newRow("plain") << Riff(pcm16 + Chunk("data", QByteArray(10, '\1'))) << 1 << 8000 << 10;
    QTest::newRow("other chunk first, odd length padded")
        << Riff(Chunk("LIST", "abc") + pcm16 + Chunk("data", QByteArray(4, '\1'))) << 1 << 8000
        << 4;
    QTest::newRow("data longer than the file is cut")
        << Riff(pcm16 + QByteArray("data") + QByteArray("\xff\x00\x00\x00", 4) +
                QByteArray(6, '\1'))
        << 1 << 8000 << 6;
    QTest::newRow("no data chunk") << Riff(pcm16) << 0 << 0 << 0;
    QTest::newRow("not riff") << QByteArray("RIFX....WAVEfmt ") << 0 << 0 << 0;
    QTest::newRow("empty") << QByteArray() << 0 << 0 << 0;
    QTest::newRow("truncated header") << QByteArray("RIFF\x10\0\0\0WAVEfm", 14) << 0 << 0 << 0;
}

void TestSound::parseWave()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, formatTag);
    QFETCH(int, sampleRate);
    QFETCH(int, dataBytes);
    const WaveImage wave = ParseWave(bytes);
    QCOMPARE(wave.formatTag, formatTag);
    QCOMPARE(wave.sampleRate, sampleRate);
    QCOMPARE(wave.samples.size(), dataBytes);
}

void TestSound::playerChoosesWhatToPlay_data()
{
    QTest::addColumn<bool>("device");
    QTest::addColumn<QStringList>("requests");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("playing");

    QTest::newRow("one sound") << true << QStringList{"DATA_7"}
                               << QStringList{"stop", "start 11025 Hz"} << "DATA_7";
    QTest::newRow("the next stops the first")
        << true << QStringList{"DATA_500", "DATA_1"}
        << QStringList{"stop", "start 22050 Hz", "stop", "start 16000 Hz"} << "DATA_1";
    QTest::newRow("unknown name silences") << true << QStringList{"DATA_500", "DATA_4"}
                                           << QStringList{"stop", "start 22050 Hz", "stop"} << "";
    QTest::newRow("path-like name is unknown")
        << true << QStringList{"DATA_3", "../sounds/DATA_3"}
        << QStringList{"stop", "start 16000 Hz", "stop"} << "";
    QTest::newRow("no device: nothing at all")
        << false << QStringList{"DATA_0", "DATA_4", "DATA_DEF"} << QStringList{} << "";
}

void TestSound::playerChoosesWhatToPlay()
{
    QFETCH(bool, device);
    QFETCH(QStringList, requests);
    QFETCH(QStringList, events);
    QFETCH(QString, playing);

    ScriptedOutputPlayer player;
    player.device = device;
    for (const QString& name : requests)
        PlayResourceSound(player, name);
    QCOMPARE(player.events, events);
    QCOMPARE(player.playing(), playing);

    player.events.clear();
    StopSound(player);
    QCOMPARE(player.playing(), QString());
    QCOMPARE(player.events, QStringList{"stop"});
}

void TestSound::realOutputPlaysAndStops_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("milliseconds");
    QTest::newRow("16 bit, 16000 Hz") << "DATA_1" << 490;
    QTest::newRow("8 bit, 22050 Hz") << "DATA_10" << 1260;
    QTest::newRow("8 bit, 11025 Hz") << "DATA_7" << 1920;
}

void TestSound::realOutputPlaysAndStops()
{
    QFETCH(QString, name);
    QFETCH(int, milliseconds);
    QtSoundPlayer player;
    if (!WaveDevicePresent()) {
        if (qEnvironmentVariableIsSet("QUINTARA_REQUIRE_AUDIO"))
            QFAIL("no audio output, though a sound server was started for this run");
        player.play(name);
        QCOMPARE(player.playing(), QString());
        QSKIP("no audio output on this machine");
    }
    player.play(name);
    QCOMPARE(player.playing(), name);
    // Still going a moment later (the output took the format), and over once
    // the recording has run out.
    QTest::qWait(milliseconds / 3);
    QCOMPARE(player.playing(), name);
    QTRY_COMPARE_WITH_TIMEOUT(player.playing(), QString(), milliseconds + 3000);
    player.play(QStringLiteral("DATA_500"));
    QTest::qWait(100);
    player.stop();
    QCOMPARE(player.playing(), QString());

    // The program may end in the middle of a sound.
    auto ending = std::make_unique<QtSoundPlayer>();
    ending->play(name);
    QTest::qWait(50);
    ending.reset();
}

void TestSound::realOutputIsWhole_data()
{
    QTest::addColumn<QString>("name");
    for (const QString& name : ExpectedFormats().keys())
        QTest::newRow(qPrintable(name)) << name;
}

// Every recording reaches the speaker to its last sample and fades out as
// the file does, rather than ending on a jump while still loud.
void TestSound::realOutputIsWhole()
{
    QFETCH(QString, name);
    if (!qEnvironmentVariableIsSet("QUINTARA_REQUIRE_AUDIO"))
        QSKIP("needs the private sound server of with_sound_server.sh");
    const WaveImage wave = ParseWave(LoadResourceSound(name));
    const Audible file = MeasureAudible(SixteenBitSamples(wave), wave.sampleRate);

    MonitorRecording recording;
    QVERIFY2(recording.start(), "parec could not record the null sink's monitor");
    QtSoundPlayer player;
    player.play(name);
    QCOMPARE(player.playing(), name);
    QTRY_COMPARE_WITH_TIMEOUT(player.playing(), QString(), 12000);
    QTest::qWait(300);
    const Audible heard = MeasureAudible(Widened(recording.stop()), MonitorRecording::kRate);

    QVERIFY2(qAbs(heard.seconds - file.seconds) <= 0.020,
             qPrintable(QStringLiteral("%1 s heard of %2 s").arg(heard.seconds).arg(file.seconds)));
    QVERIFY2(heard.tailPeak <= heard.peak / 10,
             qPrintable(QStringLiteral("last 10 ms reach %1 of a peak of %2")
                            .arg(heard.tailPeak)
                            .arg(heard.peak)));
}

// A sound stopped on purpose (its result box closed early) fades out within
// a few milliseconds instead of jumping to silence.
void TestSound::stoppedSoundFadesOut()
{
    if (!qEnvironmentVariableIsSet("QUINTARA_REQUIRE_AUDIO"))
        QSKIP("needs the private sound server of with_sound_server.sh");
    MonitorRecording recording;
    QVERIFY2(recording.start(), "parec could not record the null sink's monitor");
    QtSoundPlayer player;
    player.play(QStringLiteral("DATA_500"));
    QTest::qWait(1500);
    player.stop();
    QCOMPARE(player.playing(), QString());
    QTest::qWait(800);
    const Audible heard = MeasureAudible(Widened(recording.stop()), MonitorRecording::kRate);
    QVERIFY2(heard.seconds > 1.0 && heard.seconds < 1.9,
             qPrintable(QString::number(heard.seconds)));
    QVERIFY2(heard.tailJump <= 1000, qPrintable(QString::number(heard.tailJump)));
}

// Stopping one sound and starting the next at once (a result box closed on a
// jingle, then the farewell) leaves the next one playing to its end: the
// stopped sound's own end, arriving late, must not silence it.
void TestSound::stoppedSoundLeavesTheNextPlaying()
{
    if (!qEnvironmentVariableIsSet("QUINTARA_REQUIRE_AUDIO"))
        QSKIP("needs the private sound server of with_sound_server.sh");
    const QString farewell = FromView(hands::kFarewellSound);
    MonitorRecording recording;
    QVERIFY2(recording.start(), "parec could not record the null sink's monitor");
    QtSoundPlayer player;
    player.play(QStringLiteral("DATA_0"));
    QTest::qWait(300);
    player.stop();
    player.play(farewell);
    QTest::qWait(1000);
    QCOMPARE(player.playing(), farewell);
    QTRY_COMPARE_WITH_TIMEOUT(player.playing(), QString(), 10000);
    QTest::qWait(300);

    // Heard from the first sound's start to the farewell's own end.
    const WaveImage wave = ParseWave(LoadResourceSound(farewell));
    const Audible expected = MeasureAudible(SixteenBitSamples(wave), wave.sampleRate);
    const Audible heard = MeasureAudible(Widened(recording.stop()), MonitorRecording::kRate);
    QVERIFY2(heard.seconds >= expected.seconds,
             qPrintable(QStringLiteral("%1 s heard, the farewell alone lasts %2 s")
                            .arg(heard.seconds)
                            .arg(expected.seconds)));
}

QTEST_MAIN(TestSound)
#include "test_sound.moc"
