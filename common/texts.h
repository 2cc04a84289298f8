// Every text of the plug-in, written in Polish and stored in the host's DOS code page (Mazovia).
//
// In the host's texts \x02 switches highlighting on and \x01 switches it off; \x01 also brackets the
// host's layout sequences. A hex escape is closed by splitting the literal where a hex digit follows
// ("\x02" "Ctrl+5").
#pragma once

#include <cstddef>
#include <cstring>

#include "common/mazovia.h"

namespace texts {

// The plug-in's description under the heading of the host's sales documents; also its name in messages.
inline constexpr auto kHelpText =
    "\x02"
    "DOKUMENTY SPRZEDAŻY:\x01\n\nPobierz zawartość MM - \x02"
    "Ctrl+5\x01\n"_mz;
inline constexpr std::size_t kHelpTextSize = sizeof kHelpText.bytes;  // with its terminator
static_assert(kHelpTextSize == 57);

// Copies the help text with its terminator into `destination`, which has room for kHelpTextSize bytes.
// Every user of the help text takes a copy of its own.
inline void KopiujOpis(char* destination) {
  std::memcpy(destination, kHelpText.c_str(), kHelpTextSize);
}

inline constexpr auto kHostModule = "TORVAL"_mz;

// Titles.
inline constexpr auto kTitleError = "Błąd"_mz;
inline constexpr auto kTitleWarning = "Uwaga"_mz;
inline constexpr auto kTitleWarningLower = "uwaga"_mz;
inline constexpr auto kTitleStop = "STOP!!!"_mz;
inline constexpr auto kTitleBlocked = "Blokada"_mz;

// Start.
inline constexpr auto kNeedsNewerPlugin = "Program wymaga nowszej wtyczki!"_mz;

// Host tables, by the host's names.
inline constexpr auto kTableTspr = "Tspr"_mz;
inline constexpr auto kTableTsprDok = "Tspr_dok"_mz;
inline constexpr auto kTableMm = "Mm"_mz;
inline constexpr auto kTableMmDok = "Mm_dok"_mz;

// Refusal report.
inline constexpr auto kVersionMismatch =
    "Moduł \"%s\" i program występują w różnych wersjach!\n\n"
    "Został zakualizowany tylko program albo tylko moduł,\n"
    "a nie oba jednocześnie! Aby naprawić tę sytuację\n"
    "zainstaluj aktualizację programu wraz z modułem \"%s\".\n\n"
    "MODUŁ NIE ZOSTANIE ZAŁADOWANY!!!\n"_mz;
inline constexpr auto kReportHeading =
    "Rozmiary rekordów niektórych tabel nie zgadzają się\n"
    "między programem a wtyczką \"%s\":\n\n"
    "\x01tl18l33\x01TABELA\tWE WTYCZCE\tW PROGRAMIE\n"_mz;
inline constexpr auto kReportRowLayout = "\x01tp25p40\x01"_mz;
inline constexpr auto kReportNoTable = "brak"_mz;
inline constexpr auto kReportClosing = "\nModuł wtyczki \x02%s\x01\nNIE zostanie załadowany!"_mz;

// Missing-entry dialog.
inline constexpr auto kMissingEntry =
    "W module \x02%s\x01\nbrak wpisu \x02%s\x01\nWywołano z wtyczki \x02%s\x01.\n\n"
    "Błąd ten można zignorować lecz dalsza praca\n"
    "programu w tych warunkach może być niebezpieczna.\n\n"
    "Konieczna jest aktualizacja programu!"_mz;
inline constexpr auto kMissingEntryCaption = "POWAŻNY BŁĄD WTYCZKI"_mz;
inline constexpr auto kUnknownPath = "<nieznany>"_mz;

// MM document selection.
inline constexpr auto kPleaseWait = "Proszę czekać!"_mz;
inline constexpr auto kNothingToMark = "Brak dokumentów do zaznaczenia!"_mz;
inline constexpr auto kDiskError = "Błąd operacji dyskowej!"_mz;
inline constexpr auto kSelectionOutOfMemory =
    "Błąd podczas alokowania pamięci w WybierzMM!\nOperacja niekompletna!"_mz;

// Position collection (the disk error also stands for a missing table 44 at insertion).
inline constexpr auto kCollectionDiskError = "Błąd operacji dyskowej w PobierzPozDokumentu!"_mz;
inline constexpr auto kCollectionSeekError = "Błąd w od_fseek w PobierzPozDokumentu"_mz;
inline constexpr auto kCollectionOutOfMemory =
    "Błąd podczas alokowania pamięci w PobierzPozDokumentu!\nOperacja niekompletna!"_mz;

// Merge and insertion.
inline constexpr auto kDocumentFull = "Więcej pozycji nie zmieści się w tym dokumencie !"_mz;
inline constexpr auto kWarehouseLabel = "M%d"_mz;

// Installation notice and settings file.
inline constexpr auto kSettingsFile = "Kombrel.ini"_mz;
inline constexpr auto kSettingsSection = "Kombrel"_mz;
inline constexpr auto kSettingsAskKey = "Pytaj"_mz;
inline constexpr auto kSettingsFormat = "%d"_mz;
inline constexpr auto kInstallationNotice = "Zainstalowano wtyczkę do programu:\n%s"_mz;

}  // namespace texts
