#include "platform/sound.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QFileInfo>
#include <QList>
#include <QMediaDevices>
#include <QPointer>
#include <QSoundEffect>
#include <QUrl>

namespace platform {

namespace {

struct FailureReport {
    std::function<void(const QString&)> handler;
    bool told = false;
};

FailureReport& failureReport() {
    static FailureReport report;
    return report;
}

void soundFailed(const QString& why) {
    FailureReport& r = failureReport();
    if (r.told || !r.handler)
        return;
    r.told = true;
    r.handler(why);
}

// One sound effect per sound still playing; a finished one deletes itself. A sound effect reads
// the wave file itself: the media player's GStreamer back end of Qt 6.4 crashes where the
// GStreamer elements it asks for are not installed.
class QtSoundPlayer final : public SoundPlayer {
public:
    void play(const QString& path) override {
        if (QCoreApplication::instance() == nullptr)
            return;
        if (path.isEmpty() || !QFileInfo(path).isFile()) {
            soundFailed(QStringLiteral("no sound file ") + path);
            return;
        }
        // Without a device Qt "plays" the sound into nothing and says so only on stderr.
        if (QMediaDevices::defaultAudioOutput().isNull()) {
            soundFailed(QStringLiteral("no audio output device"));
            return;
        }
        m_effects.removeIf([](const QPointer<QSoundEffect>& e) { return e.isNull(); });
        auto* effect = new QSoundEffect(QCoreApplication::instance());
        QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
            if (!effect->isPlaying() && effect->status() == QSoundEffect::Ready)
                effect->deleteLater();
        });
        QObject::connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
            if (effect->status() == QSoundEffect::Ready)
                effect->play();
            else if (effect->status() == QSoundEffect::Error) {
                soundFailed(QStringLiteral("cannot play ") + effect->source().toLocalFile());
                effect->deleteLater();
            }
        });
        effect->setLoopCount(1);
        effect->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
        m_effects.append(effect);
    }

    void stopAll() override {
        for (const QPointer<QSoundEffect>& effect : std::as_const(m_effects)) {
            if (effect) {
                effect->stop();
                effect->deleteLater();
            }
        }
        m_effects.clear();
    }

private:
    QList<QPointer<QSoundEffect>> m_effects;
};

std::unique_ptr<SoundPlayer>& current() {
    static std::unique_ptr<SoundPlayer> player;
    return player;
}

} // namespace

SoundPlayer& soundPlayer() {
    if (!current())
        current() = std::make_unique<QtSoundPlayer>();
    return *current();
}

void setSoundPlayer(std::unique_ptr<SoundPlayer> player) { current() = std::move(player); }

void setSoundFailureHandler(std::function<void(const QString& why)> handler) {
    failureReport() = {std::move(handler), false};
}

} // namespace platform
