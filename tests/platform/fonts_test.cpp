#include "platform/fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>

namespace {
struct Face {
    const char16_t* asked;
    const char16_t* shipped;
};
constexpr Face kFaces[] = {
    {u"宋体", u"AR PL UMing CN"},
    {u"SimSun", u"AR PL UMing CN"},
    {u"MS Sans Serif", u"WenQuanYi Micro Hei"},
    {u"Tahoma", u"WenQuanYi Micro Hei"},
};
} // namespace

TEST(Fonts, WindowsFacesResolveToTheShippedOnes) {
    platform::registerFontSubstitutions();
    platform::registerFontSubstitutions();
    for (const Face& f : kFaces) {
        const QString asked = QString::fromUtf16(f.asked);
        const QString shipped = QString::fromUtf16(f.shipped);
        // Qt keeps substitutes in lower case.
        const QStringList substitutes = QFont::substitutes(asked);
        EXPECT_EQ(std::count_if(substitutes.cbegin(), substitutes.cend(),
                                [&](const QString& s) { return s.compare(shipped, Qt::CaseInsensitive) == 0; }),
                  1)
            << asked.toStdString();
        ASSERT_TRUE(QFontDatabase::hasFamily(shipped))
            << shipped.toStdString() << " is missing: install fonts-arphic-uming and fonts-wqy-microhei";
        QFont font(asked);
        font.setPointSize(9);
        EXPECT_EQ(QFontInfo(font).family(), shipped) << asked.toStdString();
    }
}
