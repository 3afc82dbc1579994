#pragma once

#include "simservice/simservice.h"
#include "tests/market/marketfixture.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QUrl>

#include <memory>

inline QDateTime at(int y, int m, int d, int h, int min, int s = 0) {
    return platform::naiveDateTime(QDate(y, m, d), QTime(h, min, s));
}

// A market test with the simulated service in this process as the data servers (data1 first,
// as the configuration starts it: "do.asp" asked as "get.shtml"), its clock following ServerNow.
class SimMarketTest : public MarketTest {
protected:
    void SetUp() override {
        MarketTest::SetUp();
        SimService::Options o;
        o.httpPort = 0;
        o.userPort = 0;
        o.seed = simSeed;
        o.faultDelayMs = 6000;
        o.now = [] { return ServerNow; };
        sim = std::make_unique<SimService>(o);
        ASSERT_TRUE(sim->start());
        urls = sim->dataServerUrls();
        ServerList = urls;
        ServerList << QString();
        DataServerStart = DataServerIndex = 0;
        DataServer = QString(urls[0]).replace(QStringLiteral("do.asp"), QStringLiteral("get.shtml"));
        run.HttpTimeoutSec = 3;
    }
    void TearDown() override {
        sim.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        MarketTest::TearDown();
    }

    // Requests served, as "path?m" (the snapshot's random tail cut off).
    [[nodiscard]] QStringList requests() const {
        QStringList out;
        static const QRegularExpression tail(QStringLiteral("&rnd=.*$"));
        for (QString r : sim->requestLog())
            out << r.remove(tail);
        return out;
    }
    // The log with the random tails of the snapshot addresses cut off.
    [[nodiscard]] QStringList logLines() const {
        QStringList out;
        static const QRegularExpression rnd(QStringLiteral("&rnd=[0-9.E+-]+$"));
        for (QString line : logTexts())
            out << line.replace(rnd, QStringLiteral("&rnd=R"));
        return out;
    }
    [[nodiscard]] static QString snapshotQuery() { return QStringLiteral("?ver=3.6&m=now-price"); }
    // The service's market, whatever its size: instrument k's name and code, and the count.
    [[nodiscard]] static int marketSize() { return static_cast<int>(SimMarket::instruments().size()); }
    [[nodiscard]] static QString marketName(int k) { return SimMarket::instruments()[static_cast<size_t>(k)].name; }
    [[nodiscard]] static QString marketCode(int k) { return SimMarket::instruments()[static_cast<size_t>(k)].code; }

    uint32_t simSeed = 3; // a test may set another before SetUp
    std::unique_ptr<SimService> sim;
    QStringList urls; // data1/do.asp, data2/get.shtml, data3/do.asp
};

