#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace platform {

// Plays sound files for the alerts. No audio device, a missing or unplayable file is silence:
// nothing here reports an error to the user.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Starts the wave file once and returns at once; playback goes on in the background.
    virtual void play(const QString& path) = 0;
    // Ends every sound this program started.
    virtual void stopAll() = 0;
};

// The player the program uses: Qt Multimedia unless a test installed another.
[[nodiscard]] SoundPlayer& soundPlayer();

// Installs a player (tests install a fake); null restores the Qt Multimedia one.
void setSoundPlayer(std::unique_ptr<SoundPlayer> player);

// Told why, the first time after it is installed that a sound cannot play (no audio device, a
// missing or unreadable file): silence leaves one trace, not one at every alert.
void setSoundFailureHandler(std::function<void(const QString& why)> handler);

} // namespace platform
