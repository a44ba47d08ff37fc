// Texts of the order intake, in the host's code page.
#pragma once

#include "common/mazovia_text.h"

namespace IntakeText {

// Opens a section of an order file; compared without regard to letter case.
inline constexpr const char* SectionMarker = "[Poz"_mz;

// Paths in the drop and archive directories.
inline constexpr const char* SearchPattern = "%s\\*.*"_mz;
inline constexpr const char* OrderFilePath = "%s\\%s"_mz;
inline constexpr const char* ArchiveDirectory = "%s_arch"_mz;
inline constexpr const char* PathSeparator = "\\"_mz;

// File modes handed to the host.
inline constexpr const char* ModeRead = "rb";
inline constexpr const char* ModeWrite = "wb";

// Messages of the scan; each takes the order file's path.
inline constexpr const char* OpenFailed = "Błąd otwarcia pliku:%s"_mz;
inline constexpr const char* PositionsFull =
    "Błąd rezerwowania pamięci w DodajPozycjeDoDokumentu!\nOperacja niekompletna!"_mz;
inline constexpr const char* ArchiveFailed = "Nie można przenieść pliku do archiwum!\n%s"_mz;
inline constexpr const char* RemoveFailed =
    "Nie udało się usunąć pliku z katalogu z katalogu tymczasowego!\n%s"_mz;

// An entry whose path does not fit the path buffer: the directory and the
// entry name. The file is left where it is.
inline constexpr const char* PathTooLong =
    "Zbyt długa ścieżka pliku, plik pominięto i pozostawiono w katalogu:\n%s\\%.259s"_mz;

// A quantity that is not a number or does not fit a count of thousandths:
// the file's path, the goods code and the quantity as written.
inline constexpr const char* QuantityRejected =
    "Nieprawidłowa ilość w pliku:%s\nSymbol=%s Ilosc=%s\nPozycja pominięta!"_mz;

}  // namespace IntakeText
