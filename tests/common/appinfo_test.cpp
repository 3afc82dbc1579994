#include "common/appinfo.h"

#include "platform/vbtext.h"

#include <gtest/gtest.h>

TEST(AppInfo, VersionNumberIsTheTextMajorDotMinor) {
    struct Case {
        int major, minor;
        const char* text;
    };
    const Case cases[] = {
        {3, 6, "3.6"}, {3, 9, "3.9"}, {3, 10, "3.1"}, {3, 25, "3.25"}, {4, 0, "4"}, {12, 3, "12.3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::singleText(versionNumber(c.major, c.minor)), QString::fromLatin1(c.text))
            << c.major << "." << c.minor;
}

TEST(AppInfo, VersionIsASingleThatPrintsShort) {
    static_assert(std::is_same_v<std::remove_cv_t<decltype(AppVer)>, float>);
    EXPECT_EQ(AppVer, versionNumber(BRELTO_VERSION_MAJOR, BRELTO_VERSION_MINOR));
    EXPECT_EQ(platform::singleText(AppVer),
              platform::singleText(static_cast<float>(
                  QStringLiteral("%1.%2").arg(BRELTO_VERSION_MAJOR).arg(BRELTO_VERSION_MINOR).toDouble())));
}

TEST(AppInfo, ThreeConfigurationHosts) {
    const QStringList hosts = configHosts();
    ASSERT_EQ(hosts.size(), 3);
    for (const QString& host : hosts)
        EXPECT_TRUE(host.contains(u':')) << host.toStdString();
}
