#include "platform/scripteval.h"

#include "platform/vberror.h"
#include "platform/vbtext.h"

#include <cmath>

namespace platform {

namespace {

constexpr int kErrDivisionByZero = 11;
constexpr int kErrSyntax = 1002;

struct EvalFailure {
    int number;
};

// Recursive descent over the text; failures leave by exception so every level stays simple.
class Parser {
public:
    explicit Parser(QStringView text) : m_text(text) {}

    double parseAll() {
        const double value = expression();
        skipBlanks();
        if (m_pos != m_text.size())
            throw EvalFailure{kErrSyntax};
        return value;
    }

private:
    double expression() {
        double value = term();
        for (;;) {
            const QChar op = peek();
            if (op != u'+' && op != u'-')
                return value;
            ++m_pos;
            const double rhs = term();
            value = checked(op == u'+' ? value + rhs : value - rhs);
        }
    }

    double term() {
        double value = unary();
        for (;;) {
            const QChar op = peek();
            if (op != u'*' && op != u'/')
                return value;
            ++m_pos;
            const double rhs = unary();
            if (op == u'*') {
                value = checked(value * rhs);
            } else if (rhs == 0) {
                // 0/0 has no value at all, which the engine reports as an overflow.
                throw EvalFailure{value == 0 ? kErrOverflow : kErrDivisionByZero};
            } else {
                value = checked(value / rhs);
            }
        }
    }

    // Signs bind tighter than * and /, so 3*-4 and -2*-2 read as they look.
    double unary() {
        const QChar c = peek();
        if (c == u'-') {
            ++m_pos;
            return -unary();
        }
        if (c == u'+') {
            ++m_pos;
            return unary();
        }
        return primary();
    }

    double primary() {
        const QChar c = peek();
        if (c == u'(') {
            ++m_pos;
            const double value = expression();
            if (peek() != u')')
                throw EvalFailure{kErrSyntax};
            ++m_pos;
            return value;
        }
        return number();
    }

    double number() {
        const qsizetype start = m_pos;
        const qsizetype intDigits = digits();
        qsizetype fracDigits = 0;
        if (m_pos < m_text.size() && m_text[m_pos] == u'.') {
            ++m_pos;
            fracDigits = digits();
        }
        if (intDigits + fracDigits == 0)
            throw EvalFailure{kErrSyntax};
        if (m_pos < m_text.size() && (m_text[m_pos] == u'e' || m_text[m_pos] == u'E')) {
            ++m_pos;
            if (m_pos < m_text.size() && (m_text[m_pos] == u'+' || m_text[m_pos] == u'-'))
                ++m_pos;
            if (digits() == 0)
                throw EvalFailure{kErrSyntax};
        }
        bool ok = false;
        const double value = m_text.mid(start, m_pos - start).toString().toDouble(&ok);
        if (!ok || !std::isfinite(value))
            throw EvalFailure{kErrOverflow};
        return value;
    }

    qsizetype digits() {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos] >= u'0' && m_text[m_pos] <= u'9')
            ++m_pos;
        return m_pos - start;
    }

    QChar peek() {
        skipBlanks();
        return m_pos < m_text.size() ? m_text[m_pos] : QChar();
    }

    void skipBlanks() {
        while (m_pos < m_text.size() && (m_text[m_pos] == u' ' || m_text[m_pos] == u'\t'))
            ++m_pos;
    }

    static double checked(double value) {
        if (!std::isfinite(value))
            throw EvalFailure{kErrOverflow};
        return value;
    }

    QStringView m_text;
    qsizetype m_pos = 0;
};

QString describe(int number) {
    switch (number) {
    case kErrOverflow:
        return QStringLiteral("溢出");
    case kErrDivisionByZero:
        return QStringLiteral("被零除");
    default:
        return QStringLiteral("语法错误");
    }
}

} // namespace

EvalResult scriptEval(QStringView expression) {
    EvalResult result;
    try {
        result.value = Parser(expression).parseAll();
        // A negative result rounding to nothing prints as 0, never "-0".
        if (result.value == 0)
            result.value = 0;
        result.text = doubleText(result.value);
        result.ok = true;
    } catch (const EvalFailure& failure) {
        result.errorNumber = failure.number;
        result.description = describe(failure.number);
    }
    return result;
}

} // namespace platform
