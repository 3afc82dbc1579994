#include "mainwindow/tabswitch.h"

#include "common/appinfo.h"
#include "state/configstate.h"
#include "state/session.h"
#include "tests/support/qtprint.h"

#include <gtest/gtest.h>

namespace {

class TabSwitch : public ::testing::Test {
protected:
    void SetUp() override {
        SiteUrl = QStringLiteral("http://svc/");
        DataTabUrl = QStringLiteral("http://svc/data/");
        BookTabUrl = QStringLiteral("zhang");
        SmsTabUrl = QStringLiteral("mysms");
        GoldEtfUrl = QStringLiteral("http://svc/etf/gold");
        SilverEtfUrl = QStringLiteral("http://svc/etf/silver");
        ForumUrl = QStringLiteral("http://svc/bbs/");
        SessionId = QStringLiteral("s1");
        UserId = 1001;
        ClientId = QStringLiteral("cid");
    }
    void TearDown() override {
        SiteUrl.clear();
        DataTabUrl.clear();
        BookTabUrl.clear();
        SmsTabUrl.clear();
        GoldEtfUrl.clear();
        SilverEtfUrl.clear();
        ForumUrl.clear();
        SessionId.clear();
        UserId = 0;
        ClientId.clear();
    }
};

TabSwitchInput input(int tab, int previous, bool loginRequired = false, bool configLoaded = false,
                     bool loggedIn = false) {
    TabSwitchInput in;
    in.index = tab;
    in.previousTab = previous;
    in.loginRequired = loginRequired;
    in.configLoaded = configLoaded;
    in.loggedIn = loggedIn;
    return in;
}

} // namespace

TEST_F(TabSwitch, LoginGateRefusesEveryTabAndKeepsThePreviousOne) {
    for (int tab = 1; tab <= 11; ++tab) {
        const TabSwitchPlan p = planTabSwitch(input(tab, 2, true, true, false));
        EXPECT_TRUE(p.refused) << tab;
        EXPECT_EQ(p.curTab, 2) << tab;
        EXPECT_TRUE(p.navigations.isEmpty());
    }
    EXPECT_FALSE(planTabSwitch(input(4, 2, true, false, false)).refused) << "without a configuration there is no gate";
    EXPECT_FALSE(planTabSwitch(input(4, 2, true, true, true)).refused);
    EXPECT_FALSE(planTabSwitch(input(4, 2, false, true, false)).refused);
}

TEST_F(TabSwitch, ChartTabs) {
    TabSwitchPlan p = planTabSwitch(input(2, 1));
    EXPECT_EQ(p.curTab, 2);
    EXPECT_EQ(p.chartKind, 0);
    EXPECT_TRUE(p.combo4Changes && p.combo4Enabled);
    EXPECT_TRUE(p.resizeWithRedraw && p.updateImg);
    p = planTabSwitch(input(3, 2));
    EXPECT_EQ(p.chartKind, 1);
    EXPECT_TRUE(p.combo4Changes);
    EXPECT_FALSE(p.combo4Enabled);
    EXPECT_FALSE(p.resizeWithRedraw);
    EXPECT_TRUE(p.updateImg);
    p = planTabSwitch(input(1, 2));
    EXPECT_EQ(p.chartKind, -1);
    EXPECT_FALSE(p.combo4Changes || p.updateImg);
}

TEST_F(TabSwitch, WebTabsLoadOnceAndKeepTheirPage) {
    struct Case {
        int tab;
        QString location; // of the tab's browser
        QList<Navigation> expected;
        int web0Panel;
    };
    const QString book = QStringLiteral("http://svc/soft/doing.asp?url=zhang&do=webin&session=s1&userid=1001&mac=cid");
    const QString sms = QStringLiteral("http://svc/soft/doing.asp?url=mysms&do=webin&session=s1&userid=1001&mac=cid");
    const Case cases[] = {
        {4, QString(), {}, 1},
        {5, QString(), {}, 2},
        {6, QStringLiteral("about:blank"), {{WebPane::Web4, QStringLiteral("http://svc/data/")}}, -1},
        {6, QStringLiteral("http://svc/data/"), {}, -1},
        {6, QStringLiteral("http://svc/data/page2"), {{WebPane::Web4, QStringLiteral("http://svc/data/")}}, -1},
        {7, QStringLiteral("about:blank"), {{WebPane::Web5, book}}, -1},
        {7, QStringLiteral("http://svc/zhang/list.asp"), {}, -1},
        {8, QStringLiteral("about:blank"), {{WebPane::Web6, sms}}, -1},
        {9, QStringLiteral("http://svc/etf/silver"),
         {{WebPane::Web0, QStringLiteral("about:blank")}, {WebPane::Web0, QStringLiteral("http://svc/etf/gold")}}, 3},
        {9, QStringLiteral("http://svc/etf/gold?day=1"), {}, 3},
        {10, QStringLiteral("http://svc/etf/gold"),
         {{WebPane::Web0, QStringLiteral("about:blank")}, {WebPane::Web0, QStringLiteral("http://svc/etf/silver")}}, 4},
        {11, QStringLiteral("about:blank"), {{WebPane::Web2, QStringLiteral("http://svc/bbs/")}}, -1},
        {11, QStringLiteral("HTTP://elsewhere/"), {}, -1},
    };
    for (const Case& c : cases) {
        TabSwitchInput in = input(c.tab, 1);
        in.web0Location = in.web2Location = in.web4Location = in.web5Location = in.web6Location = c.location;
        const TabSwitchPlan p = planTabSwitch(in);
        EXPECT_EQ(p.navigations, c.expected) << c.tab << " at " << c.location.toStdString();
        EXPECT_EQ(p.web0Panel, c.web0Panel) << c.tab;
        EXPECT_EQ(p.silentWeb2, c.tab == 11 && !c.expected.isEmpty());
    }
}

TEST_F(TabSwitch, EmptyAddressesAreNeverNavigated) {
    DataTabUrl.clear();
    ForumUrl.clear();
    TabSwitchInput in = input(6, 1);
    in.web4Location = QStringLiteral("about:blank");
    EXPECT_TRUE(planTabSwitch(in).navigations.isEmpty());
    in = input(11, 1);
    EXPECT_TRUE(planTabSwitch(in).navigations.isEmpty());
}
