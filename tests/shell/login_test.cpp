#include "shell/login.h"

#include "common/appinfo.h"
#include "common/md5.h"
#include "common/textcodec.h"
#include "platform/vberror.h"
#include "state/configstate.h"
#include "tests/support/qtprint.h"

#include <gtest/gtest.h>

TEST(Login, RequestBodyInItsOrder) {
    ClientId = QStringLiteral("cid");
    CaptchaCode.clear();
    EXPECT_EQ(loginRequestBody(QStringLiteral("张三"), QStringLiteral("secret")),
              QStringLiteral("v=3.6&do=softin&username=张三&password=") +
                  Md5Hex(QStringLiteral("secret"), 16, false) + QStringLiteral("&mac=cid&yzm="));
    CaptchaCode = QStringLiteral("ab12");
    EXPECT_TRUE(loginRequestBody(QStringLiteral("u"), QStringLiteral("p")).endsWith(QStringLiteral("&yzm=ab12")));
    CaptchaCode.clear();
    ClientId.clear();
    SiteUrl = QStringLiteral("http://svc/");
    EXPECT_EQ(loginRequestUrl(), QStringLiteral("http://svc/soft/doing.asp"));
    SiteUrl.clear();
}

TEST(Login, StatusesAndTheirNotices) {
    struct Case {
        QString raw;
        LoginStatus status;
        const char16_t* title;
        const char16_t* text;
    };
    const Case cases[] = {
        {EncodeText(QStringLiteral("LO")), LoginStatus::LoggedElsewhere, u"登录失败",
         u"您的账号已经在其它地方被登录,请退出其它登录进程后再次尝试登录."},
        {EncodeText(QStringLiteral("ST")), LoginStatus::Disabled, u"账号停用",
         u"您的账号已经被停用,请注意是否有违反软件相关规定的操作."},
        {EncodeText(QStringLiteral("TE")), LoginStatus::Maintenance, u"系统维护",
         u"正在对系统进行维护，暂时不能进行登录操作，请稍候再试."},
        {EncodeText(QStringLiteral("IN:今晚系统升级")), LoginStatus::Notice, u"提示", u"今晚系统升级"},
        {EncodeText(QStringLiteral("YZ")), LoginStatus::NeedsCode, nullptr, nullptr},
        {QStringLiteral("OK|12|x|sess|1|"), LoginStatus::Ok, nullptr, nullptr},
        {EncodeText(QStringLiteral("NO")), LoginStatus::Failed, nullptr, nullptr},
        {QStringLiteral("not encoded"), LoginStatus::Failed, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        const LoginAnswer a = readLoginAnswer(c.raw);
        EXPECT_EQ(a.status, c.status) << c.raw.toStdString();
        const auto notice = loginNotice(a);
        ASSERT_EQ(notice.has_value(), c.title != nullptr) << c.raw.toStdString();
        if (notice) {
            EXPECT_EQ(notice->title, QString::fromUtf16(c.title));
            EXPECT_EQ(notice->text, QString::fromUtf16(c.text));
        }
    }
}

TEST(Login, OkFieldsAreReadCompletelyOrNotAtAll) {
    const LoginSession s = readLoginSession(QStringLiteral("OK|1024|-|sess-9|True|gh,1,2,3,4,5,6/mgold,1,2,3,4,5,6,8/"));
    EXPECT_EQ(s.userId, 1024);
    EXPECT_EQ(s.sessionId, QStringLiteral("sess-9"));
    EXPECT_TRUE(s.vip);
    EXPECT_EQ(s.holdText, QStringLiteral("gh,1,2,3,4,5,6|mgold,1,2,3,4,5,6,8|"));
    EXPECT_FALSE(readLoginSession(QStringLiteral("OK|1|-|s|0|")).vip);
    EXPECT_TRUE(readLoginSession(QStringLiteral("OK|1|-|s|-1|")).vip);
    EXPECT_FALSE(readLoginSession(QStringLiteral("OK|1|-|s|false|")).vip);

    for (const char* bad : {"OK|1|-|s|1", "OK|abc|-|s|1|", "OK|1|-|s|maybe|", "OK|9999999999|-|s|1|", "OK"}) {
        try {
            (void)readLoginSession(QString::fromLatin1(bad));
            ADD_FAILURE() << bad << " accepted";
        } catch (const platform::VbError& e) {
            EXPECT_FALSE(e.description.isEmpty()) << bad;
        }
    }
}
