#include "companions/tray.h"

#include "platform/gbk.h"
#include "platform/tray.h"
#include "tests/companions/icons.h"
#include "tests/support/programfolder.h"

#include <QIcon>
#include <QPixmap>

#include <gtest/gtest.h>

using platform::FakeTrayIcon;
using platform::TrayCommand;

namespace {

constexpr uint32_t kAddFlags = 7;     // message, icon and tip
constexpr uint32_t kBalloonFlags = 16; // balloon only

QString repeated(const char16_t* piece, int times) {
    return QString::fromUtf16(piece).repeated(times);
}

class Tray : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        platform::setTrayIcon(&m_tray);
    }
    void TearDown() override {
        platform::setTrayIcon(nullptr);
        ProgramFolderTest::TearDown();
    }

    [[nodiscard]] const FakeTrayIcon::Call& lastCall() const { return m_tray.calls.last(); }

    FakeTrayIcon m_tray;
};

QIcon plainIcon(QColor colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

} // namespace

TEST(TrayField, TextIsCutToItsFieldNeverInsideACharacter) {
    const struct {
        QString text;
        int field;
        QString kept;
    } cases[] = {
        {QString(127, u'a'), 128, QString(127, u'a')},
        {QString(128, u'a'), 128, QString(127, u'a')},
        {QString(300, u'a'), 128, QString(127, u'a')},
        {repeated(u"金", 64), 128, repeated(u"金", 63)},             // 128 bytes: the last goes whole
        {u'a' + repeated(u"金", 64), 128, u'a' + repeated(u"金", 63)}, // 127 bytes fit exactly
        {"ab" + repeated(u"金", 63), 128, "ab" + repeated(u"金", 62)},
        {repeated(u"价", 200), 256, repeated(u"价", 127)},
        {u'x' + repeated(u"价", 200), 256, u'x' + repeated(u"价", 127)},
        {repeated(u"题", 40), 64, repeated(u"题", 31)},
        {QStringLiteral("ab") + QChar(0) + "cd", 128, "ab"},
        {QString::fromUtf16(u"黄金T+D 한"), 128, QString::fromUtf16(u"黄金T+D ?")},
        {QString(), 128, QString()},
    };
    for (const auto& c : cases) {
        const QByteArray field = platform::trayField(c.text, c.field);
        EXPECT_LE(field.size(), c.field - 1) << c.text.toStdString();
        EXPECT_EQ(platform::fromGbk(field), c.kept) << c.text.toStdString();
    }
}

TEST(TrayMouse, DesktopActivationsBecomeTheOwnersMessages) {
    const struct {
        QSystemTrayIcon::ActivationReason reason;
        int message;
    } cases[] = {
        {QSystemTrayIcon::Trigger, 0x201},     // left button down: the main window comes back
        {QSystemTrayIcon::Context, 0x205},     // right button up: the menu opens
        {QSystemTrayIcon::DoubleClick, 0x203},
        {QSystemTrayIcon::MiddleClick, 0x207},
        {QSystemTrayIcon::Unknown, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::trayMouseMessage(c.reason), c.message) << c.reason;
}

TEST(TrayMouse, MessagesReachTheInstalledHandlerOnly) {
    QList<int> received;
    platform::sendTrayMouse(0x201); // nobody listening yet: dropped
    platform::setTrayMouseHandler([&received](int m) { received.append(m); });
    platform::sendTrayMouse(0x201);
    platform::sendTrayMouse(0x205);
    platform::setTrayMouseHandler(nullptr);
    platform::sendTrayMouse(0x203);
    EXPECT_EQ(received, (QList<int>{0x201, 0x205}));
}

TEST_F(Tray, AddFromFileReadsTheIconAtSixteenPixels) {
    write("ico.dat", iconFile({{32, Qt::red}, {16, Qt::green}, {48, Qt::blue}}));
    TrayAdd(nullptr, true, QIcon(), file("ico.dat"), "Quillor");

    ASSERT_EQ(m_tray.calls.size(), 1);
    const auto& call = lastCall();
    EXPECT_EQ(call.command, TrayCommand::Add);
    EXPECT_TRUE(call.taken);
    EXPECT_EQ(call.data.id, 1u);
    EXPECT_EQ(call.data.flags, kAddFlags);
    EXPECT_EQ(call.data.icon.availableSizes(), QList<QSize>{QSize(16, 16)});
    EXPECT_EQ(iconColour(call.data.icon, 16), QColor(Qt::green)) << "the 16-pixel picture, not a scaled one";
    EXPECT_EQ(call.data.tip, QByteArray("Quillor"));
    EXPECT_TRUE(m_tray.isShown());
    EXPECT_EQ(m_tray.shownTip, "Quillor");
}

TEST_F(Tray, AddFromFileScalesTheNearestPictureToSixteenPixels) {
    write("ico.dat", iconFile({{48, Qt::blue}, {32, Qt::red}}));
    TrayAdd(nullptr, true, QIcon(), file("ico.dat"), "t");
    EXPECT_EQ(lastCall().data.icon.availableSizes(), QList<QSize>{QSize(16, 16)});
    EXPECT_EQ(iconColour(lastCall().data.icon, 16), QColor(Qt::red));
}

TEST_F(Tray, AnUnreadableIconFileLeavesTheIconWithoutAPicture) {
    write("ico.dat", "not an icon");
    for (const QString& path : {file("ico.dat"), file("missing.ico"), QString()}) {
        FakeTrayIcon tray;
        platform::setTrayIcon(&tray);
        TrayAdd(nullptr, true, plainIcon(Qt::red), path, "Quillor");
        ASSERT_EQ(tray.calls.size(), 1);
        EXPECT_TRUE(tray.calls[0].taken) << "the icon is still added";
        EXPECT_TRUE(tray.calls[0].data.icon.isNull()) << path.toStdString();
    }
}

TEST_F(Tray, AddWithAnIconUsesItAsGiven) {
    const QIcon given = plainIcon(Qt::magenta);
    TrayAdd(nullptr, false, given, file("ico.dat"), QString::fromUtf16(u"行情"));
    EXPECT_EQ(lastCall().data.icon.cacheKey(), given.cacheKey());
    EXPECT_EQ(m_tray.shownTip, QString::fromUtf16(u"行情"));
}

TEST_F(Tray, EveryOperationCutsItsTextsToTheirFields) {
    const QString longText = repeated(u"金", 300);
    TrayAdd(nullptr, false, plainIcon(Qt::red), {}, longText);
    EXPECT_EQ(platform::fromGbk(lastCall().data.tip), repeated(u"金", 63));
    TraySetTip(nullptr, u'a' + longText);
    EXPECT_EQ(platform::fromGbk(lastCall().data.tip), u'a' + repeated(u"金", 63));
    TrayBalloon(nullptr, longText, longText, 1);
    EXPECT_EQ(platform::fromGbk(lastCall().data.info), repeated(u"金", 127));
    EXPECT_EQ(platform::fromGbk(lastCall().data.infoTitle), repeated(u"金", 31));
    ASSERT_EQ(m_tray.balloons.size(), 1);
    EXPECT_EQ(m_tray.balloons[0].title, repeated(u"金", 31));
}

TEST_F(Tray, BalloonFlagsZeroMeanTheInformationIcon) {
    TrayAdd(nullptr, false, plainIcon(Qt::red), {}, "Quillor");
    const struct {
        uint32_t given;
        uint32_t sent;
    } cases[] = {{0, 1}, {1, 1}, {2, 2}, {3, 3}, {0x12, 0x12}};
    for (const auto& c : cases) {
        TrayBalloon(nullptr, QString::fromUtf16(u"复制成功"), QString::fromUtf16(u"复制信息"), c.given);
        const auto& call = lastCall();
        EXPECT_EQ(call.command, TrayCommand::Modify);
        EXPECT_TRUE(call.taken);
        EXPECT_EQ(call.data.flags, kBalloonFlags);
        EXPECT_EQ(call.data.infoFlags, c.sent) << c.given;
        ASSERT_FALSE(m_tray.balloons.isEmpty());
        EXPECT_EQ(m_tray.balloons.last().infoFlags, c.sent);
        EXPECT_EQ(m_tray.balloons.last().title, QString::fromUtf16(u"复制信息"));
        EXPECT_EQ(m_tray.balloons.last().text, QString::fromUtf16(u"复制成功"));
    }
    EXPECT_EQ(m_tray.shownTip, "Quillor") << "a balloon leaves the tip alone";
}

TEST_F(Tray, TipChangeAfterABalloonUsesTheAddFlagsAgain) {
    const QIcon icon = plainIcon(Qt::red);
    TrayAdd(nullptr, false, icon, {}, "Quillor");
    TrayBalloon(nullptr, QString::fromUtf16(u"您的系统时间不正确"), QString::fromUtf16(u"时间"), 0);
    TraySetTip(nullptr, QString::fromUtf16(u"现价: 371.5"));

    const auto& call = lastCall();
    EXPECT_EQ(call.command, TrayCommand::Modify);
    EXPECT_EQ(call.data.flags, kAddFlags);
    EXPECT_EQ(call.data.icon.cacheKey(), icon.cacheKey()) << "the added icon goes again";
    // The balloon's fields stay in the record, but the flags keep them from being shown again.
    EXPECT_EQ(platform::fromGbk(call.data.info), QString::fromUtf16(u"您的系统时间不正确"));
    EXPECT_EQ(m_tray.balloons.size(), 1);
    EXPECT_EQ(m_tray.shownTip, QString::fromUtf16(u"现价: 371.5"));
    EXPECT_EQ(m_tray.shownIcon.cacheKey(), icon.cacheKey());
}

TEST_F(Tray, RemoveTakesTheIconAwayAndLaterCallsAreRefusedQuietly) {
    TrayAdd(nullptr, false, plainIcon(Qt::red), {}, "Quillor");
    TrayRemove();
    EXPECT_EQ(lastCall().command, TrayCommand::Delete);
    EXPECT_TRUE(lastCall().taken);
    EXPECT_FALSE(m_tray.isShown());

    TrayRemove();
    TraySetTip(nullptr, "tip");
    TrayBalloon(nullptr, "text", "title", 0);
    ASSERT_EQ(m_tray.calls.size(), 5);
    for (int i = 2; i < 5; ++i)
        EXPECT_FALSE(m_tray.calls[i].taken) << i;
    EXPECT_TRUE(m_tray.balloons.isEmpty());
    EXPECT_FALSE(m_tray.isShown());
}

TEST_F(Tray, RemoveBeforeAnyAddIsRefused) {
    TrayRemove();
    ASSERT_EQ(m_tray.calls.size(), 1);
    EXPECT_EQ(lastCall().command, TrayCommand::Delete);
    EXPECT_FALSE(lastCall().taken);
}

TEST_F(Tray, AddingTwiceIsRefusedByTheDesktop) {
    TrayAdd(nullptr, false, plainIcon(Qt::red), {}, "first");
    TrayAdd(nullptr, false, plainIcon(Qt::blue), {}, "second");
    EXPECT_FALSE(lastCall().taken);
    EXPECT_EQ(m_tray.shownTip, "first");
}

TEST_F(Tray, WithoutATrayEveryCallDoesNothing) {
    m_tray.available = false;
    TrayAdd(nullptr, false, plainIcon(Qt::red), {}, "Quillor");
    TraySetTip(nullptr, "tip");
    TrayBalloon(nullptr, "text", "title", 0);
    TrayRemove();
    ASSERT_EQ(m_tray.calls.size(), 4);
    for (const auto& call : m_tray.calls)
        EXPECT_FALSE(call.taken);
    EXPECT_FALSE(m_tray.isShown());
    EXPECT_TRUE(m_tray.balloons.isEmpty());
    EXPECT_TRUE(m_tray.shownTip.isEmpty());
}

TEST_F(Tray, TheDesktopsIconWithoutATrayDoesNothing) {
    platform::setTrayIcon(nullptr);
    if (QSystemTrayIcon::isSystemTrayAvailable())
        GTEST_SKIP() << "this desktop has a tray";
    TrayAdd(nullptr, false, plainIcon(Qt::red), {}, "Quillor");
    TraySetTip(nullptr, "tip");
    TrayBalloon(nullptr, "text", "title", 0);
    EXPECT_FALSE(platform::trayIcon().isShown());
    TrayRemove();
    EXPECT_FALSE(platform::trayIcon().isShown());
}

TEST_F(Tray, IconFileAsAWholeHoldsEveryPicture) {
    write("two.ico", iconFile({{16, Qt::green}, {32, Qt::red}}));
    const QIcon icon = platform::loadIconFile(file("two.ico"));
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{QSize(16, 16), QSize(32, 32)}));
    EXPECT_EQ(iconColour(icon, 32), QColor(Qt::red));
    EXPECT_EQ(iconColour(icon, 16), QColor(Qt::green));
    EXPECT_TRUE(platform::loadIconFile(file("absent.ico")).isNull());
}
