#include "market/alerts.h"

#include "common/settings.h"
#include "tests/market/marketfixture.h"

#include <gtest/gtest.h>

namespace {

class AlertsTest : public MarketTest {
protected:
    void SetUp() override {
        MarketTest::SetUp();
        AllDataLoaded = true;
        ProdCount = 3;
        ProdLast = 2;
        for (int i = 0; i < 3; ++i)
            ProdName[i] = QStringLiteral("p%1").arg(i);
        ProdPrice[0][0] = 268.53f;
        ProdPrice[1][0] = 5.012f;
        ProdPrice[2][0] = 0.0f; // no price yet
    }
    static void setAlerts(const QList<std::tuple<int16_t, int16_t, float>>& alerts) {
        TxCount = static_cast<int16_t>(alerts.size());
        TxProd = {0};
        TxCompare = {0};
        TxPrice = {0.0f};
        for (const auto& [prod, compare, price] : alerts) {
            TxProd << prod;
            TxCompare << compare;
            TxPrice << price;
        }
    }
};

TEST_F(AlertsTest, EachKindIsMetOrNot) {
    struct Case {
        const char* what;
        int16_t prod;
        int16_t compare;
        float limit;
        QString text; // empty: not met
    };
    const Case cases[] = {
        {"at or above, equal", 0, 0, 268.53f, QStringLiteral("您设置的 p0 已经大于等于 268.53 元了，现价：268.53")},
        {"at or above, below", 0, 0, 268.54f, QString()},
        {"at or below, equal", 1, 1, 5.012f, QStringLiteral("您设置的 p1 已经小于等于 5.012 元了，现价：5.012")},
        {"at or below, above", 1, 1, 5.0f, QString()},
        {"any other compare is at or below", 0, 7, 300.0f, QStringLiteral("您设置的 p0 已经小于等于 300 元了，现价：268.53")},
        {"switched off", -1, 0, 1.0f, QString()},
        {"outside 0..30", 31, 0, 1.0f, QString()},
        {"not in the snapshot", 5, 0, 0.0f, QString()},
        {"no price yet", 2, 1, 10.0f, QString()}, // would be met at or below on a price of 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setAlerts({{0, 0, 9999.0f}, {c.prod, c.compare, c.limit}});
        const QList<MetAlert> met = metAlerts();
        const QList<MetAlert> expected = c.text.isEmpty() ? QList<MetAlert>() : QList<MetAlert>{MetAlert{2, c.text}};
        EXPECT_EQ(met.size(), expected.size());
        EXPECT_TRUE(met == expected) << (met.isEmpty() ? std::string() : met[0].text.toStdString());
        // Testing switches nothing off: that waits until the user has been shown the alert.
        EXPECT_EQ(TxProd[2], c.prod);
    }
}

TEST_F(AlertsTest, TwoAlertsFireInOneRunAndAreStoredOff) {
    IsVip = true; // alerts are stored for members
    setAlerts({{0, 0, 268.0f}, {2, 1, 10.0f}, {1, 1, 6.0f}, {1, 0, 9.0f}});
    SaveTx();
    run.LoadData(snapshotText({row(QStringLiteral("p0"), QStringLiteral("268.53"), QStringLiteral("0")),
                               row(QStringLiteral("p1"), QStringLiteral("5.012"), QStringLiteral("0")),
                               row(QStringLiteral("p2"), QStringLiteral("0"), QStringLiteral("0"))}));
    EXPECT_EQ(view.alerts, (QStringList{QStringLiteral("您设置的 p0 已经大于等于 268 元了，现价：268.53"),
                                        QStringLiteral("您设置的 p1 已经小于等于 6 元了，现价：5.012")}));
    // Reloaded from the settings: the two that stayed, in their order.
    EXPECT_EQ(TxCount, 2);
    EXPECT_EQ(TxProd, (QList<int16_t>{0, 2, 1}));
    EXPECT_EQ(GetIni(QStringLiteral("tx")), QStringLiteral("2"));
    EXPECT_EQ(GetIni(QStringLiteral("tx1")), QStringLiteral("2,1,10"));
}

TEST_F(AlertsTest, WithoutThePopUpAMetAlertStaysArmedAndUnsaved) {
    IsVip = true;
    setAlerts({{0, 0, 268.0f}, {1, 1, 6.0f}});
    SaveTx();
    const QByteArray saved = read(QStringLiteral("set.ini"));
    view.popUpShows = false;
    const QString snapshot = snapshotText({row(QStringLiteral("p0"), QStringLiteral("268.53"), QStringLiteral("0")),
                                           row(QStringLiteral("p1"), QStringLiteral("5.012"), QStringLiteral("0"))});
    run.LoadData(snapshot);
    EXPECT_EQ(view.count(QStringLiteral("CustRing")), 2); // both were met and offered to the pop-up
    EXPECT_TRUE(view.alerts.isEmpty());
    EXPECT_EQ(TxCount, 2);
    EXPECT_EQ(TxProd, (QList<int16_t>{0, 0, 1}));
    EXPECT_EQ(read(QStringLiteral("set.ini")), saved);

    // Once the pop-up shows them they fire, once.
    view.popUpShows = true;
    run.LoadData(snapshot);
    EXPECT_EQ(view.alerts.size(), 2);
    EXPECT_EQ(TxCount, 0);
    EXPECT_EQ(GetIni(QStringLiteral("tx")), QStringLiteral("0"));
    run.LoadData(snapshot);
    EXPECT_EQ(view.alerts.size(), 2);
}

TEST_F(AlertsTest, FailedUpdateStillChecksAgainstTheOldPrices) {
    setAlerts({{0, 0, 200.0f}});
    DataServer = QStringLiteral("http://127.0.0.1:1/data"); // refused at once
    ServerList = {DataServer, QString()};
    run.LoadData(QStringLiteral("no bars here")); // not a snapshot: the servers are asked
    EXPECT_EQ(run.Nextupti(), QStringLiteral("更新失败."));
    EXPECT_EQ(view.alerts.size(), 1);
    EXPECT_TRUE(view.timer1());
}

} // namespace
