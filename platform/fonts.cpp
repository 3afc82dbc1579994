#include "platform/fonts.h"

#include <QFont>
#include <QString>

namespace platform {

void registerFontSubstitutions() {
    struct Substitution {
        const char16_t* asked;
        const char16_t* shipped;
    };
    static constexpr Substitution kSubstitutions[] = {
        {u"宋体", u"AR PL UMing CN"},
        {u"SimSun", u"AR PL UMing CN"},
        {u"MS Sans Serif", u"WenQuanYi Micro Hei"},
        {u"Tahoma", u"WenQuanYi Micro Hei"},
    };
    for (const Substitution& s : kSubstitutions)
        QFont::insertSubstitution(QString::fromUtf16(s.asked), QString::fromUtf16(s.shipped));
}

} // namespace platform
