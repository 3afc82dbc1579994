#pragma once

namespace platform {

// The forms ask for the Windows faces they were designed with; this maps those names onto the
// faces Debian ships ("宋体" and "SimSun" onto AR PL UMing CN, "MS Sans Serif" and "Tahoma" onto
// WenQuanYi Micro Hei). main() and the widget test applications call it once at start-up;
// calling it again changes nothing.
void registerFontSubstitutions();

} // namespace platform
