#pragma once

#include "common/http.h"
#include "common/textcodec.h"
#include "platform/clock.h"
#include "simservice/simservice.h"
#include "tests/support/qtprint.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// In a namespace of its own: the market tests that link the same executable have helpers of the
// same names.
namespace simtest {

inline QDateTime at(int y, int m, int d, int h, int min, int sec = 0) {
    return platform::naiveDateTime(QDate(y, m, d), QTime(h, min, sec));
}

inline const QDateTime kWednesday = at(2024, 5, 15, 10, 0); // slot 120 of a trading Wednesday
inline constexpr int kWednesdaySlot = 120;
inline const qsizetype kRows = static_cast<qsizetype>(SimMarket::instruments().size());

// What the client does with an encoded answer: drop the line breaks, then decode.
inline QString clientDecode(const QString& raw) {
    QString s = raw;
    return DecodeText(s.remove(QStringLiteral("\r\n")));
}

// The client's configuration lookup: a key counts only right after a line feed, and its value
// runs to the next carriage return.
inline QString lookup(const QString& config, const QString& key) {
    const QString marker = u'\n' + key + u'=';
    const qsizetype at = config.indexOf(marker);
    if (at < 0) return QStringLiteral("<missing>");
    const qsizetype start = at + marker.size();
    const qsizetype end = config.indexOf(u'\r', start);
    return end < 0 ? QStringLiteral("<unterminated>") : config.mid(start, end - start);
}

// Services on free ports of this process, with a clock of the test's choosing.
class SimServiceTest : public ::testing::Test {
protected:
    SimService& start(const QDateTime& now, uint32_t seed = 7) {
        SimService::Options o;
        o.httpPort = 0;
        o.userPort = 0;
        o.seed = seed;
        o.now = [now] { return now; };
        return start(o);
    }
    SimService& start(const SimService::Options& o) {
        services_.push_back(std::make_unique<SimService>(o));
        SimService& s = *services_.back();
        EXPECT_TRUE(s.start());
        EXPECT_NE(s.httpPort(), 0);
        return s;
    }

    void TearDown() override {
        services_.clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static QString get(const QString& url, int16_t timeoutSec = 5) {
        return GetHttpText(url, {}, timeoutSec);
    }
    static QString data(const SimService& s, const QString& path, const QString& query) {
        return get(s.baseUrl() + path + u'?' + query);
    }
    static QString snapshot(const SimService& s,
                            const QString& path = QStringLiteral("data1/get.shtml")) {
        return clientDecode(data(s, path, QStringLiteral("ver=3.6&m=now-price&rnd=0.5")));
    }
    static QString threeDays(const SimService& s, const QString& code) {
        return clientDecode(
            data(s, QStringLiteral("data1/get.shtml"), QStringLiteral("ver=3.6&m=P-") + code));
    }
    static QString config(const SimService& s) {
        return clientDecode(get(s.configUrl() + QStringLiteral("?v=3.6&m=TESTCLIENT01")));
    }

private:
    std::vector<std::unique_ptr<SimService>> services_;
};

} // namespace simtest
