// Texts of the first-run notice, in the host's code page.
#pragma once

#include "common/mazovia_text.h"

namespace Text {

// The notice with the display name.
inline constexpr const char* FirstRunNotice = "Zainstalowano wtyczkę do programu:\n%s"_mz;

}  // namespace Text
