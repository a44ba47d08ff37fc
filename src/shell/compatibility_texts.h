// Texts of the compatibility report, in the host's code page.
#pragma once

#include "common/mazovia_text.h"

namespace Text {

// Shown when the interface level is the cause; the display name twice.
inline constexpr const char* VersionMismatch =
    "Moduł \"%s\" i program występują w różnych wersjach!\n\n"
    "Został zakualizowany tylko program albo tylko moduł,\n"
    "a nie oba jednocześnie! Aby naprawić tę sytuację\n"
    "zainstaluj aktualizację programu wraz z modułem \"%s\".\n\n"
    "MODUŁ NIE ZOSTANIE ZAŁADOWANY!!!\n"_mz;

// The size report: head with the display name and the column headings
// (tab stops at columns 18 and 33), one row per table (stops at 25 and 40),
// tail with the module's file name highlighted.
inline constexpr const char* SizeReportHead =
    "Rozmiary rekordów niektórych tabel nie zgadzają się\n"
    "między programem a wtyczką \"%s\":\n\n"
    "\x01tl18l33\x01TABELA\tWE WTYCZCE\tW PROGRAMIE\n"_mz;
inline constexpr const char* SizeReportRow = "\x01tp25p40\x01%s\t%u\t%s\n"_mz;
inline constexpr const char* SizeReportTail = "\nModuł wtyczki \x02%s\x01\nNIE zostanie załadowany!"_mz;
inline constexpr const char* TableMissing = "brak"_mz;

}  // namespace Text
