// Texts of the plug-in shell, in the host's code page.
#pragma once

#include "common/mazovia_text.h"

namespace Text {

// Activation refused: the host's Tzak table is not the one the plug-in knows.
inline constexpr const char* NeedsNewerPlugin = "Program wymaga nowszej wtyczki!"_mz;

// The missing-entry dialog, shown by the system (converted to code page 3 first).

inline constexpr const char* MissingServiceTitle = "POWAŻNY BŁĄD WTYCZKI"_mz;
// Fields: the plug-in's module file, the missing entry, the display name.
inline constexpr const char* MissingServiceFormat =
    "W module \x02%s\x01\nbrak wpisu \x02%s\x01\nWywołano z wtyczki \x02%s\x01.\n\n"
    "Błąd ten można zignorować lecz dalsza praca\n"
    "programu w tych warunkach może być niebezpieczna.\n\n"
    "Konieczna jest aktualizacja programu!"_mz;
inline constexpr const char* UnknownModule = "<nieznany>"_mz;

}  // namespace Text
