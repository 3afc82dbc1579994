#include "platform/sound.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QList>
#include <QPointer>
#include <QSoundEffect>
#include <QUrl>

namespace platform {

namespace {

// One sound effect per sound still playing; a finished one deletes itself. A sound effect reads
// the wave file itself: the media player's GStreamer back end of Qt 6.4 crashes where the
// GStreamer elements it asks for are not installed.
class QtSoundPlayer final : public SoundPlayer {
public:
    void play(const QString& path) override {
        if (path.isEmpty() || !QFileInfo(path).isFile() || QCoreApplication::instance() == nullptr)
            return;
        m_effects.removeIf([](const QPointer<QSoundEffect>& e) { return e.isNull(); });
        auto* effect = new QSoundEffect(QCoreApplication::instance());
        QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
            if (!effect->isPlaying() && effect->status() == QSoundEffect::Ready)
                effect->deleteLater();
        });
        QObject::connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
            if (effect->status() == QSoundEffect::Ready)
                effect->play();
            else if (effect->status() == QSoundEffect::Error)
                effect->deleteLater();
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

} // namespace platform
