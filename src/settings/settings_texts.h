// Texts of the directory prompt, in the host's code page.
#pragma once

#include "common/mazovia_text.h"

namespace SettingsText {

inline constexpr const char* TextFormat = "%s"_mz;  // "Katalog" is read and written whole
inline constexpr const char* NoDirectory = "Nie podano katalogu!"_mz;

}  // namespace SettingsText
