#include "platform/scripteval.h"

#include <gtest/gtest.h>

using platform::scriptEval;

namespace {

struct ValueCase {
    const char* expression;
    const char* text;
};

// What the calculator's display shows after "=": fifteen significant digits, integers bare.
TEST(ScriptEval, EvaluatesWithUsualPrecedence) {
    const ValueCase cases[] = {
        {"1/3", "0.333333333333333"},
        {"2/3", "0.666666666666667"},
        {"0.1+0.2", "0.3"},
        {"7-2*3", "1"},
        {"10/4", "2.5"},
        {"-4+1", "-3"},
        {"3*-4", "-12"},
        {"0", "0"},
        {"12", "12"},
        {"5.", "5"},
        {"0.5", "0.5"},
        {".5*2", "1"},
        {"1-2-3", "-4"},
        {"100/10/5", "2"},
        {"2+3*4-6/2", "11"},
        {"(2+3)*4", "20"},
        {"-(1+2)*-(3)", "9"},
        {"--2", "2"},
        {"+2", "2"},
        {" 1 + 2 ", "3"},
        {"1.5E3+1", "1501"},
        {"2.5e-1*4", "1"},
        {"1E20*10", "1E+21"},
        {"1/8", "0.125"},
        {"1/8000000", "1.25E-07"},
        {"-0*5", "0"},
        {"12345678*1000000000", "1.2345678E+16"},
    };
    for (const ValueCase& c : cases) {
        const platform::EvalResult r = scriptEval(QString::fromLatin1(c.expression));
        EXPECT_TRUE(r.ok) << c.expression << ": " << r.description.toStdString();
        EXPECT_EQ(r.text, QString::fromLatin1(c.text)) << c.expression;
        EXPECT_TRUE(r.description.isEmpty()) << c.expression;
    }
}

struct ErrorCase {
    const char* expression;
    int number;
    const char16_t* description;
};

TEST(ScriptEval, ReportsFailuresWithADescription) {
    const ErrorCase cases[] = {
        {"1+", 1002, u"语法错误"},
        {"1.2.3", 1002, u"语法错误"},
        {"", 1002, u"语法错误"},
        {".", 1002, u"语法错误"},
        {"*2", 1002, u"语法错误"},
        {"(1+2", 1002, u"语法错误"},
        {"1+2)", 1002, u"语法错误"},
        {"2 3", 1002, u"语法错误"},
        {"1e", 1002, u"语法错误"},
        {"1e+", 1002, u"语法错误"},
        {"abc", 1002, u"语法错误"},
        {"1/0", 11, u"被零除"},
        {"5/(2-2)", 11, u"被零除"},
        {"0/0", 6, u"溢出"},
        {"1e308*10", 6, u"溢出"},
        {"1e400", 6, u"溢出"},
        {"-1e308-1e308", 6, u"溢出"},
    };
    for (const ErrorCase& c : cases) {
        const platform::EvalResult r = scriptEval(QString::fromLatin1(c.expression));
        EXPECT_FALSE(r.ok) << c.expression;
        EXPECT_EQ(r.errorNumber, c.number) << c.expression;
        EXPECT_EQ(r.description, QString::fromUtf16(c.description)) << c.expression;
        EXPECT_TRUE(r.text.isEmpty()) << c.expression;
    }
}

// The value itself, not only its text, for callers that go on computing.
TEST(ScriptEval, KeepsDoublePrecisionValue) {
    EXPECT_DOUBLE_EQ(scriptEval(u"0.1+0.2").value, 0.1 + 0.2);
    EXPECT_DOUBLE_EQ(scriptEval(u"1/3").value, 1.0 / 3.0);
}

} // namespace
