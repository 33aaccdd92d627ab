// The program's version, as the About topic shows it.
#pragma once

inline constexpr char16_t kNorvoVersion[] = u"0.9.0";
