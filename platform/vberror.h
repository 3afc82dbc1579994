#pragma once

#include <QString>

#include <exception>

namespace platform {

// A numbered run-time error raised to the caller, as the program's procedures report them in the
// log: number, description and the source that raised it.
struct VbError : std::exception {
    int number = 0;
    QString description;
    QString source;

    VbError(int n, QString desc, QString src = {})
        : number(n), description(std::move(desc)), source(std::move(src)) {}
    const char* what() const noexcept override { return "VbError"; }
};

// The numbers the program's logs show for the failures it meets.
inline constexpr int kErrOverflow = 6;
inline constexpr int kErrSubscript = 9;
inline constexpr int kErrTypeMismatch = 13;

[[noreturn]] void raiseOverflow();
[[noreturn]] void raiseTypeMismatch();
[[noreturn]] void raiseSubscript();

} // namespace platform
