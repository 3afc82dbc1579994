#include "platform/sound.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QElapsedTimer>
#include <QFile>
#include <QMediaDevices>
#include <QAudioDevice>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The chime the program ships: a plain PCM wave file of a fraction of a second.
TEST(Sound, DefaultChimeIsAShortPcmWave) {
    QFile f(QStringLiteral(BRELTO_NOTIFY_WAV));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_GE(bytes.size(), 44);
    EXPECT_EQ(bytes.left(4), QByteArray("RIFF"));
    EXPECT_EQ(bytes.mid(8, 8), QByteArray("WAVEfmt "));
    QDataStream in(bytes.mid(20, 16));
    in.setByteOrder(QDataStream::LittleEndian);
    quint16 format = 0, channels = 0, align = 0, bits = 0;
    quint32 rate = 0, byteRate = 0;
    in >> format >> channels >> rate >> byteRate >> align >> bits;
    EXPECT_EQ(format, 1); // PCM
    ASSERT_GT(byteRate, 0u);
    const double seconds = static_cast<double>(bytes.size() - 44) / byteRate;
    EXPECT_GT(seconds, 0.2);
    EXPECT_LT(seconds, 2.0);
}

// No audio device here, a missing file, a file that is not sound: all silence, none an error.
TEST(Sound, BadFilesAndNoDeviceAreSilence) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString garbage = dir.filePath(QStringLiteral("notify.wav"));
    QFile g(garbage);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write("not a sound at all");
    g.close();
    platform::SoundPlayer& player = platform::soundPlayer();
    for (const QString& path : {QString(), dir.filePath(QStringLiteral("missing.wav")), garbage,
                                QStringLiteral(BRELTO_NOTIFY_WAV)}) {
        // Playing never waits for the sound: it returns before the event loop has turned once more,
        // which any wait would let it do.
        bool turned = false;
        QTimer::singleShot(0, [&turned] { turned = true; });
        player.play(path);
        EXPECT_FALSE(turned) << path.toStdString();
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 200)
            QCoreApplication::processEvents();
    }
    player.stopAll();
    player.stopAll(); // nothing left to stop
    QCoreApplication::processEvents();
}

// Silence leaves one trace: the first sound that cannot play says why, later ones say nothing
// until a handler is installed again.
TEST(Sound, TheFirstFailureIsToldOnce) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath(QStringLiteral("missing.wav"));
    platform::SoundPlayer& player = platform::soundPlayer();
    QStringList told;
    platform::setSoundFailureHandler([&told](const QString& why) { told << why; });
    player.play(missing);
    player.play(missing);
    player.play(QString());
    EXPECT_EQ(told, QStringList{QStringLiteral("no sound file ") + missing});

    // The chime itself, where this machine has no audio device.
    told.clear();
    platform::setSoundFailureHandler([&told](const QString& why) { told << why; });
    const bool noDevice = QMediaDevices::defaultAudioOutput().isNull();
    player.play(QStringLiteral(BRELTO_NOTIFY_WAV));
    player.play(QStringLiteral(BRELTO_NOTIFY_WAV));
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(told, noDevice ? QStringList{QStringLiteral("no audio output device")} : QStringList{});
    player.stopAll();
    platform::setSoundFailureHandler(nullptr);
    player.play(missing); // nobody to tell: nothing happens
}

} // namespace
