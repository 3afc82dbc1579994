#pragma once

#include "platform/sound.h"

#include <QStringList>

#include <memory>

// Records what the program asks the sound back end to do; installed for the life of the object.
class FakeSound {
public:
    FakeSound() {
        auto player = std::make_unique<Player>(this);
        platform::setSoundPlayer(std::move(player));
    }
    ~FakeSound() { platform::setSoundPlayer(nullptr); }
    FakeSound(const FakeSound&) = delete;
    FakeSound& operator=(const FakeSound&) = delete;

    QStringList played;
    int stops = 0;

private:
    class Player : public platform::SoundPlayer {
    public:
        explicit Player(FakeSound* owner) : m_owner(owner) {}
        void play(const QString& path) override { m_owner->played << path; }
        void stopAll() override { ++m_owner->stops; }

    private:
        FakeSound* m_owner;
    };
};
