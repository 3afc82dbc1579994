// The transport codec, the code page and the number and date readers: every text the service sends
// or the settings file holds goes through them.
#include "tests/fuzz/fuzztarget.h"

#include "common/textcodec.h"
#include "mainwindow/startup.h"
#include "platform/clock.h"
#include "platform/gbk.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"

#include <cmath>
#include <cstdlib>
#include <limits>

BRELTO_FUZZ_TARGET(textcodec) {
    const QString decoded = DecodeText(QString::fromLatin1(data.data(), data.size()));
    if (decoded.isEmpty())
        return;
    // A decoded text encodes again (with any random values) to a form that decodes to itself.
    float r = 0.0f;
    const QString again = EncodeText(decoded, [&r] { return r = std::fmod(r + 0.37f, 1.0f); });
    fuzz::check(DecodeText(again) == decoded, "a decoded text re-encodes to itself");
}

BRELTO_FUZZ_TARGET(gbk) {
    const QString text = platform::fromGbk(data);
    const QByteArray bytes = platform::toGbk(text);
    // Once read, a text survives a write and a read unchanged ("?" stands for what the page lacks).
    fuzz::check(platform::fromGbk(bytes) == text, "GBK text read back after writing is unchanged");
    fuzz::check(platform::toGbk(platform::fromGbk(bytes)) == bytes, "GBK bytes written from a read text are stable");

    // Any UTF-16 text writes to bytes whose characters are the text's own or "?".
    const QString wide = QString(reinterpret_cast<const QChar*>(data.data()), data.size() / 2);
    const QString back = platform::fromGbk(platform::toGbk(wide));
    fuzz::check(back.size() <= wide.size(), "a written text never grows");
}

BRELTO_FUZZ_TARGET(numbers) {
    const QString text = fuzz::gbkText(data);
    double v = 0;
    try {
        v = platform::Val(text);
    } catch (const platform::VbError& e) {
        fuzz::check(e.number == platform::kErrOverflow, "Val fails only by overflow");
        return;
    }
    fuzz::check(std::isfinite(v), "Val gives a finite number");
    const bool numeric = platform::IsNumeric(text);
    try {
        const double strict = platform::CDbl(text);
        fuzz::check(numeric, "a text CDbl reads is numeric");
        fuzz::check(std::isfinite(strict), "CDbl gives a finite number");
    } catch (const platform::VbError& e) {
        fuzz::check(e.number == platform::kErrOverflow || !numeric, "CDbl refuses only texts that are not numeric");
    }
    // The integer conversions raise overflow rather than wrap.
    try {
        const int16_t i = platform::CInt(v);
        fuzz::check(std::fabs(std::nearbyint(v) - i) < 1, "CInt rounds to the nearest");
    } catch (const platform::VbError& e) {
        fuzz::check(e.number == platform::kErrOverflow && std::fabs(v) > 32767, "CInt overflows only outside its range");
    }
    try {
        const int32_t l = platform::CLng(v);
        fuzz::check(std::fabs(std::nearbyint(v) - l) < 1, "CLng rounds to the nearest");
    } catch (const platform::VbError& e) {
        fuzz::check(e.number == platform::kErrOverflow && std::fabs(v) > 2147483647.0, "CLng overflows only outside its range");
    }
    // The shortest texts (15 digits for a double, 7 for a single) read back within their precision.
    const double back = platform::Val(platform::doubleText(v));
    fuzz::check(std::fabs(back - v) <= std::fabs(v) * 1e-14, "a double's text reads back as that double");
    try {
        const float f = platform::CSng(v);
        const double single = platform::Val(platform::singleText(f));
        fuzz::check(std::fabs(single - f) <= std::fabs(f) * 1e-6, "a single's text reads back as that single");
    } catch (const platform::VbError& e) {
        fuzz::check(e.number == platform::kErrOverflow, "CSng fails only by overflow");
    }
    (void)platform::formatFixed(v, 2);
    (void)platform::Round(v, 2);
}

BRELTO_FUZZ_TARGET(dates) {
    const QString text = fuzz::gbkText(data);
    const QDateTime parsed = platform::parseDate(text);
    fuzz::check(platform::IsDate(text) == parsed.isValid(), "IsDate agrees with the date reader");
    try {
        const QDateTime d = platform::CDate(text);
        fuzz::check(parsed.isValid() && d == parsed, "CDate reads what the date reader reads");
        // A date read writes as text that reads back as the same date.
        fuzz::check(platform::parseDate(platform::generalDateText(d)) == d, "a date's text reads back as that date");
    } catch (const platform::VbError& e) {
        fuzz::check(e.number == platform::kErrTypeMismatch && !parsed.isValid(), "CDate refuses only non-dates");
    }

    // The same text as the service's clock answer: the start-up takes the offset of the service's
    // clock from the PC's, a 32-bit count of seconds that must lead from the one to the other.
    const QDateTime pc = platform::naiveDateTime(QDate(2026, 12, 10), QTime(10, 24, 36));
    const QDateTime server = platform::parseDate(text.trimmed());
    try {
        const std::optional<ClockCheck> clock = checkServerClock(text, pc);
        fuzz::check(clock.has_value() == server.isValid(), "the clock check takes every date the reader takes");
        if (clock) {
            fuzz::check(pc.addSecs(clock->clockOffset) == clock->serverNow, "the clock offset leads from the PC's clock to the service's");
            fuzz::check(!clock->clocksDiffer || clock->serverNow == server, "a differing service clock is the one answered");
        }
    } catch (const platform::VbError& e) {
        fuzz::check(e.number == platform::kErrOverflow && server.isValid() &&
                        std::llabs(pc.secsTo(server)) > std::numeric_limits<int32_t>::max(),
                    "the clock check overflows only for an offset beyond 32 bits");
    }
}
