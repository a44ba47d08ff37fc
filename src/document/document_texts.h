// Texts of the collective document, in the host's code page.
#pragma once

#include "common/mazovia_text.h"

namespace DocumentText {

// The header of the collective order.
inline constexpr const char* HeaderNote = "Zbiorczo z filii"_mz;
inline constexpr int HeaderNoteSize = MazoviaTextLength<"Zbiorczo z filii"> + 1;  // with its NUL
static_assert(HeaderNoteSize == 17);
inline constexpr const char* HeaderDialogCaption = "Zbieracz"_mz;
inline constexpr const char* LinesKind = ".PZK"_mz;

// Messages.
inline constexpr const char* TableMissing = "Błąd operacji dyskowej!"_mz;
inline constexpr const char* BuilderTableMissing = "Błąd operacji dyskowej w WypelnijTowaryTzak!"_mz;
inline constexpr const char* WarehouseNotIndexed = "Nie da się zrzucić magazynu: %d do pamięci!"_mz;
inline constexpr const char* IdentifiedCount = "Zidentyfikowano %d pozycji z %d wczytanych z plików!"_mz;
inline constexpr const char* DocumentNotCreated = "Dokument nie został utworzony!"_mz;
// A summed quantity that a 32-bit count of thousandths cannot hold; the code is named.
inline constexpr const char* QuantityOutOfRange =
    "Suma ilości towaru %s przekracza zakres! Towar pominięty."_mz;

}  // namespace DocumentText
