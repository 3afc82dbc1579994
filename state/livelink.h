#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>

// Values the live link to the user server shares with the snapshot run and the refresh
// scheduler. The live link writes the push values; the scheduler and the snapshot run read them.

inline QString PushData;      // the last complete pushed snapshot, without its markers
inline QDateTime PushTime;    // service time of the last message of the live link
inline bool UseRealtime = false; // the member asked for live pushes (box "启用VIP实时服务器")
inline bool PushLost = false;    // pushes stopped coming: the scheduler polls again
inline int16_t RefreshCountdown = 0; // scheduler ticks since the last load, 0..6

// Set by the main window's start-up when no other copy of the program runs; the loaders log
// their failures only then.
inline bool NoPrevInstance = false;

// A push counts as fresh for this many seconds after its arrival.
inline constexpr int kPushFreshSeconds = 15;

// True when a pushed snapshot arrived less than kPushFreshSeconds before `now`.
[[nodiscard]] inline bool pushIsFresh(const QDateTime& now) {
    return PushTime.isValid() && now.isValid() && PushTime.secsTo(now) < kPushFreshSeconds;
}
