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

// The link itself (the socket Usersock and its handshake).
inline int16_t LinkState = 0;     // 0 closed, 1 connecting, 2 login record sent, 3 challenge answered, 4 linked
inline bool LinkReady = false;    // the server accepted the link
inline int32_t HeartbeatTick = 0; // seconds since the last heartbeat, counted while LinkReady
inline bool BeatPending = false;  // a heartbeat went out, or the socket closed or failed: the watch runs
inline int16_t MissedBeats = 0;   // clock ticks of the watch since the last message

// Set by the main window's start-up when no other copy of the program runs; the loaders log
// their failures only then.
inline bool NoPrevInstance = false;

// A push counts as fresh for this many seconds after its arrival.
inline constexpr int kPushFreshSeconds = 15;

// True when a pushed snapshot arrived less than kPushFreshSeconds before `now`.
[[nodiscard]] inline bool pushIsFresh(const QDateTime& now) {
    return PushTime.isValid() && now.isValid() && PushTime.secsTo(now) < kPushFreshSeconds;
}
