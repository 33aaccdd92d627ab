// The program's version, as the About topic shows it. The number itself is kept in
// CMakeLists.txt; the build writes it to norvo_version.h, which the resources read too.
#pragma once
#include "norvo_version.h"

inline constexpr char16_t kNorvoVersion[] = u"" NORVO_VERSION;
