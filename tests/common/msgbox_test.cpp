#include "common/msgbox.h"

#include "common/config.h"
#include "platform/fonts.h"
#include "platform/forms.h"
#include "platform/shell.h"
#include "state/configstate.h"
#include "widgets/buttons/skinbutton.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace {

// Stands in for the main window, which registers itself with the form runtime while loaded.
class FakeMain : public platform::Form {};

constexpr char16_t kLink[] = u"http://127.0.0.1:18631/vip.asp";

QList<Msgform*> openBoxes() {
    QList<Msgform*> boxes;
    for (platform::Form* f : platform::loadedForms()) {
        if (auto* box = qobject_cast<Msgform*>(f))
            boxes.append(box);
    }
    return boxes;
}

// The one box a call opened; null (and a failure) otherwise.
Msgform* theBox() {
    const QList<Msgform*> boxes = openBoxes();
    EXPECT_EQ(boxes.size(), 1);
    return boxes.size() == 1 ? boxes.front() : nullptr;
}

bool shown(const QWidget* w) { return !w->isHidden(); }

class MessageBox : public ::testing::Test {
protected:
    void SetUp() override {
        // The gallery shows the faces the program will use.
        platform::registerFontSubstitutions();
        // Closing the last box would otherwise leave the event loops the tests wait in.
        platform::setQuitHandler([] {});
        platform::setShellOpener([this](const QString& target) {
            m_opened.append(target);
            return true;
        });
    }
    void TearDown() override {
        platform::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::setShellOpener(nullptr);
        platform::setQuitHandler(nullptr);
    }
    // Registers a stand-in main window whose key handler records what it gets.
    platform::Form& loadMain() {
        platform::Form& main = platform::form<FakeMain>();
        platform::setMainForm(&main, [this](int key, int shift) { m_keys.emplace_back(key, shift); });
        return main;
    }

    QStringList m_opened;
    std::vector<std::pair<int, int>> m_keys;
};

} // namespace

TEST_F(MessageBox, PlainNoticeHasOkAndALinkHasYesAndNo) {
    struct Case {
        const char16_t* link;
        bool ok, yesNo;
    };
    for (const Case& c : {Case{u"", true, false}, Case{kLink, false, true}}) {
        const QString link = QString::fromUtf16(c.link);
        ShowMsg(QStringLiteral("即时图暂无数据，请稍候30秒再试。"), QStringLiteral("提示"), nullptr, link,
                false, 0);
        Msgform* box = theBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->Label1->text(), QStringLiteral("即时图暂无数据，请稍候30秒再试。"));
        EXPECT_EQ(box->windowTitle(), QStringLiteral("提示"));
        EXPECT_TRUE(box->isVisible());
        EXPECT_EQ(shown(box->Command1), c.ok) << link.toStdString();
        EXPECT_EQ(shown(box->Command2), c.yesNo) << link.toStdString();
        EXPECT_EQ(shown(box->Command3), c.yesNo) << link.toStdString();
        EXPECT_EQ(box->Label1->property("Tag").toString(), link);
        EXPECT_EQ(box->Label1->cursor().shape() == Qt::BitmapCursor, c.yesNo)
            << "the link pointer shows only over a text that carries a link";
        EXPECT_FALSE(box->Timer1->isActive());
        const std::pair<SkinButton*, const char16_t*> buttons[] = {
            {box->Command1, u"确定"}, {box->Command2, u"是"}, {box->Command3, u"否"}};
        for (const auto& [button, caption] : buttons) {
            EXPECT_EQ(button->caption(), QString::fromUtf16(caption));
            EXPECT_EQ(button->buttonStyle(), 8);
        }
        box->unload();
    }
}

TEST_F(MessageBox, EachCallOpensItsOwnBox) {
    ShowMsg(QStringLiteral("一"), QStringLiteral("提示"));
    ShowMsg(QStringLiteral("二"), QStringLiteral("提示"));
    QList<Msgform*> boxes = openBoxes();
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(boxes[0]->Label1->text(), QStringLiteral("一"));
    boxes[0]->unload();
    boxes = openBoxes();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0]->Label1->text(), QStringLiteral("二"));
}

TEST_F(MessageBox, ClicksCloseTheBoxAndOnlyAcceptingALinkOpensIt) {
    struct Case {
        const char* what;
        bool withLink;
        std::function<QWidget*(Msgform&)> target;
        bool opens;
    };
    const Case cases[] = {
        {"确定", false, [](Msgform& b) { return b.Command1; }, false},
        {"是", true, [](Msgform& b) { return b.Command2; }, true},
        {"否", true, [](Msgform& b) { return b.Command3; }, false},
        {"the text of a link", true, [](Msgform& b) { return b.Label1; }, true},
        {"the text of a notice", false, [](Msgform& b) { return b.Label1; }, false},
    };
    for (const Case& c : cases) {
        m_opened.clear();
        ShowMsg(QStringLiteral("正文"), QStringLiteral("提示"), nullptr,
                c.withLink ? QString::fromUtf16(kLink) : QString(), false, 0);
        Msgform* box = theBox();
        ASSERT_NE(box, nullptr) << c.what;
        QTest::mouseClick(c.target(*box), Qt::LeftButton);
        EXPECT_TRUE(openBoxes().isEmpty()) << c.what << " leaves the box open";
        EXPECT_EQ(m_opened, c.opens ? QStringList{QString::fromUtf16(kLink)} : QStringList())
            << c.what;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// The buttons take no focus: Enter and Space press the box's default button, "确定" or "是".
TEST_F(MessageBox, EnterAndSpacePressTheDefaultButton) {
    struct Case {
        Qt::Key key;
        bool withLink;
        bool opens;
    };
    const Case cases[] = {
        {Qt::Key_Return, false, false}, {Qt::Key_Enter, false, false}, {Qt::Key_Space, false, false},
        {Qt::Key_Return, true, true},   {Qt::Key_Space, true, true},
    };
    for (const Case& c : cases) {
        m_opened.clear();
        ShowMsg(QStringLiteral("正文"), QStringLiteral("提示"), nullptr,
                c.withLink ? QString::fromUtf16(kLink) : QString(), false, 0);
        Msgform* box = theBox();
        ASSERT_NE(box, nullptr);
        QTest::keyClick(box, c.key);
        EXPECT_TRUE(openBoxes().isEmpty()) << c.key << " leaves the box open";
        EXPECT_EQ(m_opened, c.opens ? QStringList{QString::fromUtf16(kLink)} : QStringList()) << c.key;
        EXPECT_TRUE(m_keys.empty()) << "the box's own key went on to the main window";
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Only "是" and the text accept a link: a box closed any other way counts as "否".
TEST_F(MessageBox, ALinkBoxClosedWithoutAcceptingOpensNothing) {
    struct Case {
        const char* how;
        int autoCloseMs;
        std::function<void(Msgform&)> close;
    };
    const Case cases[] = {
        {"Escape", 0, [](Msgform& b) { QTest::keyClick(&b, Qt::Key_Escape); }},
        {"the window's close button", 0, [](Msgform& b) { b.close(); }},
        {"its timer", 30, [](Msgform&) {}},
    };
    for (const Case& c : cases) {
        m_opened.clear();
        ShowMsg(QStringLiteral("正文"), QStringLiteral("提示"), nullptr, QString::fromUtf16(kLink), false,
                c.autoCloseMs);
        Msgform* box = theBox();
        ASSERT_NE(box, nullptr) << c.how;
        c.close(*box);
        EXPECT_TRUE(QTest::qWaitFor([] { return openBoxes().isEmpty(); }, 2000)) << c.how << " leaves the box open";
        EXPECT_TRUE(m_opened.isEmpty()) << c.how << " opened the link";
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(MessageBox, AnEmptyTitleShowsTheProgramsTitle) {
    struct Case {
        const char16_t* title;
        const char16_t* shown;
    };
    // Never the executable's name (here the test's own).
    const Case cases[] = {{u"", u"Quillor"}, {u"提示", u"提示"}};
    for (const Case& c : cases) {
        ShowMsg(QStringLiteral("正文"), QString::fromUtf16(c.title));
        Msgform* box = theBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), QString::fromUtf16(c.shown));
        box->unload();
    }
}

TEST_F(MessageBox, ClosesItselfAfterAutoCloseMs) {
    ShowMsg(QStringLiteral("正文"), QStringLiteral("提示"), nullptr, {}, false, 60);
    QPointer<Msgform> box(theBox());
    ASSERT_FALSE(box.isNull());
    EXPECT_TRUE(box->Timer1->isActive());
    EXPECT_EQ(box->Timer1->interval(), 60);
    EXPECT_TRUE(QTest::qWaitFor([&] { return box.isNull() || !box->isLoaded(); }, 5000));
}

TEST_F(MessageBox, ModalCallReturnsWhenTheBoxClosesWhileTimersRun) {
    struct Case {
        const char* what;
        int autoCloseMs;
        bool clickOk;
    };
    for (const Case& c : {Case{"closed by 确定", 0, true}, Case{"closed by its timer", 40, false}}) {
        bool returned = false;
        int ticks = 0;
        bool openWhileTicking = false;
        QTimer other;
        other.setInterval(5);
        QObject::connect(&other, &QTimer::timeout, [&] {
            ++ticks;
            if (returned || openBoxes().size() != 1)
                return;
            openWhileTicking = true;
            if (c.clickOk && ticks >= 3)
                QTest::mouseClick(openBoxes().front()->Command1, Qt::LeftButton);
        });
        other.start();
        ShowMsg(QStringLiteral("正文"), QStringLiteral("提示"), nullptr, {}, true, c.autoCloseMs);
        returned = true;
        EXPECT_TRUE(openWhileTicking) << c.what << ": other timers stopped while the box was open";
        EXPECT_GE(ticks, 3) << c.what;
        EXPECT_TRUE(openBoxes().isEmpty()) << c.what << ": returned before the box closed";
    }
}

TEST_F(MessageBox, EscapeClosesAndOtherKeysReachTheMainWindowOnlyWhileItIsLoaded) {
    ShowMsg(QStringLiteral("正文"), QStringLiteral("提示"));
    Msgform* box = theBox();
    ASSERT_NE(box, nullptr);

    QTest::keyClick(box, Qt::Key_F5);
    EXPECT_TRUE(m_keys.empty());
    EXPECT_FALSE(platform::isLoaded<FakeMain>()) << "forwarding a key never loads the main window";

    platform::Form& main = loadMain();
    QTest::keyClick(box, Qt::Key_F5);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    // Ctrl goes down before A, as on the main window itself.
    EXPECT_EQ(m_keys, (std::vector<std::pair<int, int>>{{116, 0}, {17, 2}, {65, 2}}));
    EXPECT_TRUE(box->isLoaded()) << "a forwarded key leaves the box open";

    main.unload();
    QTest::keyClick(box, Qt::Key_F6);
    EXPECT_EQ(m_keys.size(), 3u) << "an unloaded main window gets no keys";

    loadMain();
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_TRUE(openBoxes().isEmpty());
    EXPECT_EQ(m_keys.size(), 3u) << "Escape is the box's own";
}

TEST_F(MessageBox, StandsInTheMiddleOfItsOwnerOrOfTheScreen) {
    platform::Form& owner = platform::form<FakeMain>();
    owner.setGeometry(40, 60, 800, 600);
    owner.show();
    for (QWidget* o : {static_cast<QWidget*>(&owner), static_cast<QWidget*>(nullptr)}) {
        ShowMsg(QStringLiteral("正文"), QStringLiteral("提示"), o);
        Msgform* box = theBox();
        ASSERT_NE(box, nullptr);
        const QPoint expected =
            o != nullptr ? owner.frameGeometry().center() : box->screen()->availableGeometry().center();
        // The window frame is only known once the box is shown, so it may sit a frame's width off.
        EXPECT_LE((box->frameGeometry().center() - expected).manhattanLength(), 4)
            << (o != nullptr ? "owner" : "screen");
        box->unload();
    }
}

TEST_F(MessageBox, VipNoticeIsOwnedByTheMainWindowOnlyWhenItIsLoaded) {
    SiteUrl = QStringLiteral("http://site.example/");
    for (const bool withMain : {false, true}) {
        QWidget* main = withMain ? &loadMain() : nullptr;
        ShowVipMsg();
        Msgform* box = theBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->Label1->text(),
                  QStringLiteral("访问使用该功能需要VIP用户权限,您不是VIP用户或者您还未登录,不能使用该功能."
                                 "需要升级到VIP会员请点击[查看]进入VIP介绍网页."));
        EXPECT_EQ(box->windowTitle(), QStringLiteral("非VIP用户"));
        EXPECT_EQ(box->Label1->property("Tag").toString(),
                  QStringLiteral("http://site.example/vip.asp"));
        EXPECT_TRUE(shown(box->Command2));
        EXPECT_EQ(box->Timer1->interval(), 5000);
        EXPECT_TRUE(box->Timer1->isActive());
        EXPECT_FALSE(box->isModal());
        EXPECT_EQ(box->parentWidget(), main);
        EXPECT_EQ(platform::isLoaded<FakeMain>(), withMain) << "the notice never loads the main window";
        box->unload();
    }
    SiteUrl.clear();
}

TEST_F(MessageBox, MembershipPageIsOnTheServiceSite) {
    const QStringList hosts = configurationHosts();
    setConfigurationHosts({QStringLiteral("10.1.2.3:8080"), QStringLiteral("10.1.2.4:8080")});
    struct Case {
        const char* site;
        const char* page;
    };
    const Case cases[] = {
        {"http://www.site.example/", "http://www.site.example/vip.asp"},
        {"http://www.site.example", "http://www.site.example/vip.asp"},
        {"", "http://10.1.2.3:8080/vip.asp"},
    };
    for (const Case& c : cases) {
        SiteUrl = QString::fromLatin1(c.site);
        EXPECT_EQ(vipPageUrl(), QString::fromLatin1(c.page)) << c.site;
    }
    SiteUrl.clear();
    setConfigurationHosts(hosts);
}

// Pictures of the box for a reviewer: a notice with "确定" and a link with "是" and "否".
TEST_F(MessageBox, Gallery) {
    const QDir dir(QStringLiteral(BRELTO_GALLERY_DIR "/msgbox"));
    ASSERT_TRUE(dir.mkpath(QStringLiteral(".")));
    struct Shot {
        const char* file;
        const char16_t* text;
        const char16_t* title;
        const char16_t* link;
    };
    const Shot shots[] = {
        {"notice-ok.png", u"即时图暂无数据，请稍候30秒再试。", u"提示", u""},
        {"link-yes-no.png",
         u"访问使用该功能需要VIP用户权限,您不是VIP用户或者您还未登录,不能使用该功能.需要升级到VIP会员请点击[查看]进入VIP介绍网页.",
         u"非VIP用户", kLink},
    };
    for (const Shot& s : shots) {
        ShowMsg(QString::fromUtf16(s.text), QString::fromUtf16(s.title), nullptr,
                QString::fromUtf16(s.link), false, 0);
        Msgform* box = theBox();
        ASSERT_NE(box, nullptr);
        const QImage picture = box->grab().toImage();
        EXPECT_GE(picture.width(), 300) << s.file;
        EXPECT_TRUE(picture.save(dir.filePath(QString::fromLatin1(s.file)))) << s.file;
        if (QString::fromUtf16(s.link).size() > 0) {
            const QImage pointer = box->Label1->cursor().pixmap().toImage();
            EXPECT_FALSE(pointer.isNull());
            EXPECT_TRUE(pointer.scaled(128, 128).save(dir.filePath(QStringLiteral("link-pointer.png"))));
        }
        box->unload();
    }
}
