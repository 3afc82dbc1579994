#include "platform/propertybag.h"
#include "platform/vberror.h"
#include "widgets/tabstrip/docktabcontrol.h"
#include "widgets/tabstrip/tabmodel.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using tabstrip::TabModel;

namespace {

// Runs f and gives the number of the VbError it raised (0 when it raised none); the source must
// be the strip's.
int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const platform::VbError& e) {
        EXPECT_TRUE(e.source.endsWith(QStringLiteral(".DockTabControl"))) << e.source.toStdString();
        EXPECT_FALSE(e.description.isEmpty());
        return e.number;
    }
    return 0;
}

QStringList keys(const TabModel& m) {
    QStringList out;
    for (int i = 1; i <= m.count(); ++i)
        out << m.at(i).Key;
    return out;
}

} // namespace

TEST(TabModel, KeylessTabsAreNamedByIdWhichIsNeverReused) {
    TabModel m;
    for (int i = 0; i < 3; ++i)
        m.add({}, {}, QStringLiteral("t"), -1);
    EXPECT_EQ(keys(m), (QStringList{"I1", "I2", "I3"}));
    m.removeAt(2);
    m.add(QString(), {}, QStringLiteral("t"), -1); // an empty key counts as none
    EXPECT_EQ(keys(m), (QStringList{"I1", "I3", "I4"}));
    const tabstrip::TabRecord& r = m.at(3);
    EXPECT_TRUE(r.CanClose);
    EXPECT_TRUE(r.Enabled);
    EXPECT_EQ(r.Id, 4);
}

TEST(TabModel, KeyLookupByPositionOrText) {
    TabModel m;
    m.add(QStringLiteral("a"), {}, {}, -1);
    m.add({}, {}, {}, -1);
    m.add(QStringLiteral("c"), {}, {}, -1);
    struct Case {
        QVariant key;
        int pos;
    } cases[] = {
        {2, 2},
        {QStringLiteral("I2"), 2},
        {QStringLiteral("c"), 3},
        {QStringLiteral("3"), 3}, // numeric text is a position
        {2.4, 2},
        {0, 0},
        {4, 0},
        {-1, 0},
        {QStringLiteral("C"), 0}, // keys compare exactly
        {QStringLiteral("zz"), 0},
        {QVariant(), 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(m.findKey(c.key), c.pos) << c.key.toString().toStdString();
        EXPECT_EQ(errorOf([&] { (void)m.indexFromKey(c.key); }), c.pos == 0 ? 9 : 0);
    }
}

TEST(TabModel, AddRefusesNumericAndDuplicateKeysAndUnknownKeyBefore) {
    TabModel m;
    m.add(QStringLiteral("x"), {}, {}, -1);
    struct Case {
        QVariant key;
        QVariant before;
        int error;
    } cases[] = {
        {5, {}, 13},
        {QStringLiteral("7"), {}, 13},
        {QStringLiteral(" 1e3 "), {}, 13},
        {QStringLiteral("x"), {}, 457},
        {QStringLiteral("y"), QStringLiteral("nope"), 9},
        {QStringLiteral("y"), 2, 9},
    };
    for (const Case& c : cases)
        EXPECT_EQ(errorOf([&] { m.add(c.key, c.before, {}, -1); }), c.error) << c.key.toString().toStdString();
    EXPECT_EQ(m.count(), 1);
    EXPECT_EQ(m.lastId(), 1);
}

TEST(TabModel, InsertBeforeAndTheSelectionFollowsItsTab) {
    TabModel m;
    m.add(QStringLiteral("a"), {}, {}, -1);
    EXPECT_EQ(m.selected(), 1); // the first tab is selected
    m.add(QStringLiteral("b"), {}, {}, -1);
    EXPECT_EQ(m.selected(), 1); // later ones leave it
    m.select(2);
    m.add(QStringLiteral("c"), QStringLiteral("a"), {}, -1);
    EXPECT_EQ(keys(m), (QStringList{"c", "a", "b"}));
    EXPECT_EQ(m.at(m.selected()).Key, "b");
    m.add(QStringLiteral("d"), 3, {}, -1);
    EXPECT_EQ(keys(m), (QStringList{"c", "a", "d", "b"}));
    EXPECT_EQ(m.at(m.selected()).Key, "b");
}

TEST(TabModel, RemovalKeepsOrMovesTheSelection) {
    struct Case {
        int selected;
        int removed;
        QString nowSelected; // empty: none
    } cases[] = {
        {2, 2, "c"},  // the selected tab: the one moving into its place
        {3, 3, "b"},  // the last and selected: the one before
        {3, 1, "c"},  // one before the selected: the same tab stays selected
        {1, 3, "a"},  // one after it
    };
    for (const Case& c : cases) {
        TabModel m;
        for (const char* k : {"a", "b", "c"})
            m.add(QString::fromLatin1(k), {}, {}, -1);
        m.select(c.selected);
        m.removeAt(c.removed);
        EXPECT_EQ(m.at(m.selected()).Key, c.nowSelected) << c.selected << " " << c.removed;
    }
    TabModel one;
    one.add({}, {}, {}, -1);
    one.removeAt(1);
    EXPECT_EQ(one.selected(), 0);
    EXPECT_EQ(one.count(), 0);
    EXPECT_EQ(errorOf([&] { one.removeAt(1); }), 9);
}

TEST(TabModel, MoveKeepsOrderAndSelection) {
    TabModel m;
    for (const char* k : {"a", "b", "c", "d"})
        m.add(QString::fromLatin1(k), {}, {}, -1);
    m.select(2);
    m.move(2, 4);
    EXPECT_EQ(keys(m), (QStringList{"a", "c", "d", "b"}));
    EXPECT_EQ(m.selected(), 4);
    m.move(1, 3);
    EXPECT_EQ(keys(m), (QStringList{"c", "d", "a", "b"}));
    EXPECT_EQ(m.selected(), 4);
    m.move(3, 3);
    EXPECT_EQ(keys(m), (QStringList{"c", "d", "a", "b"}));
    for (int bad : {0, 5, -1})
        EXPECT_EQ(errorOf([&] { m.move(1, bad); }), 9);
}

// --- the handles on a live control ---

struct TabsFixture : ::testing::Test {
    std::unique_ptr<DockTabControl> control = std::make_unique<DockTabControl>();
    cTabCollection tabs = control->Tabs();
    void SetUp() override { control->resize(400, 120); }
};

TEST_F(TabsFixture, ItemFindsByNumberOrKeyAndGivesNothingOtherwise) {
    const cTab a = tabs.Add({}, {}, QStringLiteral("one"));
    tabs.Add({}, {}, QStringLiteral("two"), 3);
    EXPECT_EQ(tabs.Count(), 2);
    EXPECT_EQ(tabs.Item(2), tabs.Item(QStringLiteral("I2")));
    EXPECT_EQ(tabs.Item(2).Caption(), "two");
    EXPECT_EQ(tabs.Item(2).IconIndex(), 3);
    EXPECT_EQ(tabs.Item(1), a);
    for (const QVariant& k : {QVariant(0), QVariant(3), QVariant(QStringLiteral("I9"))})
        EXPECT_TRUE(tabs.Item(k).isNothing());
    EXPECT_EQ(errorOf([&] { tabs.Remove(7); }), 9);
    EXPECT_EQ(errorOf([&] { tabs.Add(QStringLiteral("I1")); }), 457);
}

TEST_F(TabsFixture, MembersStoreTheirFields) {
    cTab t = tabs.Add(QStringLiteral("k"), {}, QStringLiteral("cap"));
    t.setCaption(QStringLiteral("new"));
    t.setToolTipText(QStringLiteral("tip"));
    t.setItemData(42);
    t.setTag(QStringLiteral("tag"));
    t.setCanClose(false);
    t.setEnabled(false);
    t.setIconIndex(5);
    EXPECT_EQ(t.Caption(), "new");
    EXPECT_EQ(t.ToolTipText(), "tip");
    EXPECT_EQ(t.ItemData(), 42);
    EXPECT_EQ(t.Tag(), "tag");
    EXPECT_FALSE(t.CanClose());
    EXPECT_FALSE(t.Enabled());
    EXPECT_EQ(t.IconIndex(), 5);
    EXPECT_EQ(t.Key(), "k");
    EXPECT_EQ(t.Index(), 1);
    EXPECT_TRUE(t.Selected());
}

TEST_F(TabsFixture, AStaleHandleRaisesNineOnEveryMember) {
    cTab t = tabs.Add({}, {}, QStringLiteral("x"));
    tabs.Add({}, {}, QStringLiteral("y"));
    tabs.Remove(1);
    const std::function<void()> members[] = {
        [&] { (void)t.Caption(); },    [&] { t.setCaption({}); },      [&] { (void)t.ToolTipText(); },
        [&] { t.setToolTipText({}); }, [&] { (void)t.IconIndex(); },   [&] { t.setIconIndex(1); },
        [&] { (void)t.Key(); },        [&] { (void)t.ItemData(); },    [&] { t.setItemData(1); },
        [&] { (void)t.Tag(); },        [&] { t.setTag({}); },          [&] { (void)t.CanClose(); },
        [&] { t.setCanClose(true); },  [&] { (void)t.Enabled(); },     [&] { t.setEnabled(true); },
        [&] { (void)t.Panel(); },      [&] { t.setPanel(nullptr); },   [&] { (void)t.Selected(); },
        [&] { t.setSelected(true); },  [&] { t.setSelected(false); },  [&] { (void)t.Index(); },
        [&] { t.setIndex(1); },
    };
    for (const auto& member : members)
        EXPECT_EQ(errorOf(member), 9);
    // Nothing is not a stale tab but no tab at all.
    cTab nothing;
    EXPECT_EQ(errorOf([&] { (void)nothing.Caption(); }), 91);
}

TEST_F(TabsFixture, HandlesOutliveTheirControlSafely) {
    cTab t = tabs.Add({}, {}, QStringLiteral("x"));
    control.reset();
    EXPECT_EQ(errorOf([&] { (void)t.Caption(); }), 9);
    EXPECT_EQ(tabs.Count(), 0);
    EXPECT_TRUE(tabs.Item(1).isNothing());
    EXPECT_TRUE(tabs.Add({}, {}, QStringLiteral("y")).isNothing());
    tabs.Remove(1);
    tabs.Clear();
}

TEST_F(TabsFixture, TabSelectedIsRaisedOncePerChangeBeforeTheCallReturns) {
    QList<int> raised; // Index of the tab raised with, 0 for Nothing
    QObject::connect(control.get(), &DockTabControl::TabSelected,
                     [&](cTab tab) { raised << (tab.isNothing() ? 0 : tab.Index()); });
    tabs.Add({}, {}, QStringLiteral("a"));
    EXPECT_EQ(raised, QList<int>{1});
    tabs.Add({}, {}, QStringLiteral("b"));
    tabs.Add({}, {}, QStringLiteral("c"));
    EXPECT_EQ(raised.size(), 1);

    tabs.Item(3).setSelected(true);
    EXPECT_EQ(raised.last(), 3);
    tabs.Item(3).setSelected(true); // already selected
    tabs.Item(1).setSelected(false); // False does nothing
    EXPECT_EQ(raised.size(), 2);
    EXPECT_TRUE(tabs.Item(3).Selected());

    tabs.Item(3).setIndex(1); // the selected tab moves: still the same tab
    tabs.Remove(3);            // another tab goes: still the same tab
    EXPECT_EQ(raised.size(), 2);
    EXPECT_EQ(control->SelectedTab().Caption(), "c");

    tabs.Remove(1); // the selected one: the one moving into its place
    EXPECT_EQ(raised.last(), 1);
    EXPECT_EQ(control->SelectedTab().Caption(), "a");
    tabs.Clear();
    EXPECT_EQ(raised.last(), 0);
    EXPECT_EQ(raised.size(), 4);
    EXPECT_TRUE(control->SelectedTab().isNothing());
}

TEST_F(TabsFixture, PanelsAreShownForTheSelectedTabInTheClientArea) {
    auto* p1 = new QWidget;
    auto* p2 = new QWidget;
    control->setTabAlign(0);
    control->show();
    cTab t1 = tabs.Add({}, {}, QStringLiteral("a"));
    cTab t2 = tabs.Add({}, {}, QStringLiteral("b"));
    t1.setPanel(p1);
    t2.setPanel(p2);
    EXPECT_EQ(p1->parentWidget(), control.get());
    EXPECT_TRUE(p1->isVisible());
    EXPECT_FALSE(p2->isVisible());
    EXPECT_EQ(p1->geometry(), QRect(control->ClientLeft(), control->ClientTop(), control->ClientWidth() - 2,
                                    control->ClientHeight()));
    EXPECT_EQ(control->ClientTop(), tabstrip::kTabBandHeight);

    t2.setSelected(true);
    EXPECT_FALSE(p1->isVisible());
    EXPECT_TRUE(p2->isVisible());
    EXPECT_EQ(t2.Panel(), p2);

    tabs.Remove(2);
    EXPECT_FALSE(p2->isVisible());
    EXPECT_TRUE(p1->isVisible());
    delete p1;
    EXPECT_EQ(t1.Panel(), nullptr);
}

TEST_F(TabsFixture, AHandlerMayChangeTheTabsWhileBeingTold) {
    tabs.Add({}, {}, QStringLiteral("a"));
    tabs.Add({}, {}, QStringLiteral("b"));
    int calls = 0;
    QObject::connect(control.get(), &DockTabControl::TabSelected, [&](cTab tab) {
        ++calls;
        if (!tab.isNothing() && tab.Caption() == "b")
            control->Tabs().Remove(QStringLiteral("I1"));
    });
    tabs.Item(2).setSelected(true);
    EXPECT_EQ(tabs.Count(), 1);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(control->SelectedTab().Caption(), "b");
}

TEST(TabsProperties, SavedPropertiesKeepOnlyChangedValues) {
    DockTabControl control;
    platform::PropertyBag bag;
    control.WriteProperties(bag);
    EXPECT_TRUE(bag.isEmpty());
    control.setDrawStyle(2);
    control.setTabAlign(0);
    control.setAllowScroll(false);
    control.WriteProperties(bag);
    EXPECT_EQ(bag.keys().size(), 3);
    DockTabControl copy;
    copy.ReadProperties(bag);
    EXPECT_EQ(copy.DrawStyle(), 2);
    EXPECT_EQ(copy.TabAlign(), 0);
    EXPECT_FALSE(copy.AllowScroll());
}
