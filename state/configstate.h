#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

// Values taken from the service configuration at start-up.

inline bool ConfigLoaded = false;  // the configuration has been applied once
inline bool LoadserverOk = false;  // result of the last configuration download

inline int16_t LoginMode = 0;      // non-zero: the main window's views need a login
inline QString DataTabUrl;         // page of the data tab
inline QString BookTabUrl;         // page of the bookkeeping tab
inline QString SmsTabUrl;          // page of the SMS tab
inline QString BackupWebUrl;       // web quotes, opened when the data servers all fail
inline QString ForumUrl;
inline QString SiteUrl;            // service base address, ending in "/"
inline QString NewsUrl;
inline QString NewsItemUrl;
inline QString BroadcastItemUrl;
inline QString GoldEtfUrl;
inline QString SilverEtfUrl;
// News keywords: a comma list; an item of two words joined by "|" needs both words.
inline QString NewsKeywords;
inline QString BottomAdUrl;
inline int32_t BottomAdHeight = 0; // twips

// Data servers, in configuration order, with the empty entry after the final "|".
inline QStringList ServerList;
inline int16_t DataServerIndex = 0;
inline int16_t DataServerStart = 0;
inline QString DataServer;

// User servers of the live link.
inline QStringList UserHostList;
inline QList<uint16_t> UserPortList;
inline int32_t UserServerIndex = 0;
inline int16_t UserServerStart = 0;
inline QString UserServerHost;
inline uint16_t UserServerPort = 0;

inline int32_t HelloSeconds = 300;     // keep-alive period
inline int32_t HeartbeatSeconds = 60;  // live-link heartbeat period
inline int16_t PushMode = 0;           // 0 polling only, 1 fresh pushes used, 2 pushes only
