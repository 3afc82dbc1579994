#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// The one road to the service, the configuration hosts and the data servers. Both calls wait for
// the answer while the event loop keeps running, so callers must tolerate being re-entered. Once
// the program is ending they send nothing, and a wait under way ends as a failure.

// GET (empty PostData) or form POST of Url; the whole answer body as text in Charset, whatever
// the HTTP status; "" after a time-out (0 means 20 s), for a body over 64 MB, or any failure.
// Moves are followed up to five times, never from https back to http; a POST moved by 301, 302
// or 303 is asked again as a GET.
[[nodiscard]] QString GetHttpText(const QString& Url, const QString& PostData = {},
                                  int16_t TimeoutSec = 0, const QString& Charset = QStringLiteral("GB2312"),
                                  const QString& Cookie = {}, bool NoCache = false);

// Answers GetHttpText from the source instead of the network (the fuzz targets and their replay
// feed answers straight to the parsers this way); a null source restores the network.
void setHttpTextSource(std::function<QString(const QString& Url)> source);
// GET Url into File, replacing it; the body streams to a temporary file beside it as it arrives.
// False after 300 s, on any failure, and on a non-2xx status or an empty body: an error page is
// never saved, and nothing is left behind.
[[nodiscard]] bool DownFile(const QString& Url, const QString& File);

// The service's form encoding: single-byte characters stay, each GBK double-byte character
// becomes "%LL%TT"; then spaces become "%20" and "+" becomes "%2B".
[[nodiscard]] QString UrlEncode(const QString& Text);

// Bytes read as text in Charset; "" when the character set is unknown.
[[nodiscard]] QString BytesToText(const QByteArray& Bytes, const QString& Charset);

// Drops Url's entry from the request cache; nothing for a local path (one holding ":\").
void ClearUrlCache(const QString& Url);
