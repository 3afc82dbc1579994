#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>

// Decisions of the main window's start-up, apart from the window.

// Seconds added to the PC clock to get the service clock; 0 while the two agree.
inline int32_t ClockOffset = 0;
// When the main window finished loading (service clock).
inline QDateTime StartTime;
// Time of day of the last logged-in display, sent with the keep-alive.
inline QString LoginTime;
// This client's type; 0 for every copy of this program.
inline constexpr int ClientType = 0;

// The server clock check: the answer of "?t=6&r=" against the PC clock.
struct ClockCheck {
    QDateTime serverNow;
    int32_t clockOffset = 0;
    bool clocksDiffer = false; // the balloon about a wrong system time is due (unless switched off)
};
// nullopt when the answer is not a date (the check is skipped); raises the overflow error when the
// offset does not fit its 32 bits.
[[nodiscard]] std::optional<ClockCheck> checkServerClock(const QString& answer, const QDateTime& pcNow);

// Minute boundaries passed from `from` to `to` (negative when `to` is earlier).
[[nodiscard]] int64_t minuteBoundaries(const QDateTime& from, const QDateTime& to);

// The once-a-day start-up notice: due when the text is set, this client type is not excluded and
// it was not shown today already.
[[nodiscard]] bool startupNoticeDue(const QString& text, const QString& excluded, const QString& lastShownDay,
                                    const QString& today);
// The information strip is shown for a text unless this client type is excluded.
[[nodiscard]] bool infoStripShown(const QString& text, const QString& excluded);

// The logged-in caption: text and colour (&HBBGGRR).
struct LoginCaption {
    QString text;
    uint32_t color = 0;
};
[[nodiscard]] LoginCaption loginCaption(bool vip, const QString& userName);

// The signed-in page address the logged-in display opens on the bookkeeping and SMS tabs.
[[nodiscard]] QString singleSignOnAddress(const QString& page);

// The tab to restore from set.ini `tab`: 1..11, else none (a value outside is ignored). A value
// beyond the 16-bit tab number raises the overflow error.
[[nodiscard]] std::optional<int> rememberedTab(const QString& stored);

// A remembered window position in twips (set.ini `minix`, `miniy`); 0, meaning none, when the
// text holds no number or one beyond the 32-bit range.
[[nodiscard]] int rememberedTwips(const QString& stored);
