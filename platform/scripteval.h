#pragma once

#include <QString>
#include <QStringView>

// The arithmetic the pocket calculator hands to the script engine: decimal numbers (optional
// fraction and exponent), unary signs, + - * /, parentheses, the usual precedence, in double
// precision. Nothing else of the script language is understood.
namespace platform {

struct EvalResult {
    bool ok = false;
    double value = 0;
    QString text;        // the value as the engine prints it: 15 significant digits, integers bare
    int errorNumber = 0; // 6 overflow, 11 division by zero, 1002 syntax error
    QString description; // shown to the user after the caller's own prefix
};

[[nodiscard]] EvalResult scriptEval(QStringView expression);

} // namespace platform
