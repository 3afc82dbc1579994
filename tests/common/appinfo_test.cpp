#include "common/appinfo.h"

#include "platform/vbtext.h"

#include <gtest/gtest.h>

TEST(AppInfo, VersionIsASingleThatPrintsShort) {
    static_assert(std::is_same_v<std::remove_cv_t<decltype(AppVer)>, float>);
    EXPECT_EQ(platform::singleText(AppVer),
              QStringLiteral("%1.%2").arg(BRELTO_VERSION_MAJOR).arg(BRELTO_VERSION_MINOR));
}

TEST(AppInfo, ThreeConfigurationHosts) {
    const QStringList hosts = configHosts();
    ASSERT_EQ(hosts.size(), 3);
    for (const QString& host : hosts)
        EXPECT_TRUE(host.contains(u':')) << host.toStdString();
}
