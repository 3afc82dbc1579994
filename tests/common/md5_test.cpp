#include "common/md5.h"

#include <gtest/gtest.h>

TEST(Md5Hex, DigestsTheGbkBytes) {
    struct Case {
        const char16_t* text;
        int16_t length;
        bool upper;
        const char* hex;
    };
    const Case cases[] = {
        {u"", 32, false, "d41d8cd98f00b204e9800998ecf8427e"},
        {u"", 16, false, "8f00b204e9800998"},
        {u"abc", 32, false, "900150983cd24fb0d6963f7d28e17f72"},
        {u"abc", 16, false, "3cd24fb0d6963f7d"},
        {u"abc", 32, true, "900150983CD24FB0D6963F7D28E17F72"},
        {u"abc", 0, true, "3CD24FB0D6963F7D"},
        // GBK D6 D0, not the UTF-8 or UTF-16 bytes of the character.
        {u"中", 32, false, "5301da37e5ffca1823a5cef67488d4bf"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Md5Hex(QString::fromUtf16(c.text), c.length, c.upper), QString::fromLatin1(c.hex))
            << c.hex;
}
