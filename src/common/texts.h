// Every text the plug-in hands to the host, in the host's code page.
//
// Written here as UTF-8 and converted at compile time (mazovia_text.h).
#pragma once

#include "common/mazovia_text.h"

namespace Text {

// The plug-in's display name.
inline constexpr const char* DisplayName = "Scalacz"_mz;

// Titles.
inline constexpr const char* TitleWarning = "Uwaga"_mz;
inline constexpr const char* TitleError = "Błąd"_mz;
inline constexpr const char* TitleReport = "blokada"_mz;
inline constexpr const char* TitleRefusal = "STOP!!!"_mz;
inline constexpr const char* TitleEmpty = ""_mz;

// INI file.
inline constexpr const char* ProfileFile = "Zbieracz.ini"_mz;
inline constexpr const char* ProfileSection = "Zbieracz"_mz;
inline constexpr const char* KeyDirectory = "Katalog"_mz;
inline constexpr const char* KeyDontAsk = "Pytaj"_mz;

}  // namespace Text
