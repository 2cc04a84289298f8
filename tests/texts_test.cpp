// Every text of the plug-in against the bytes the host expects, written out here in Mazovia with
// their Polish letters as escapes, independently of the compile-time conversion.
#include <gtest/gtest.h>

#include <string>

#include "common/texts.h"

namespace {

template <std::size_t Length>
std::string Bytes(const MazoviaText<Length>& text) {
  EXPECT_EQ(text.bytes[Length], '\0') << "a stored text without its terminator";
  return std::string(text.bytes, Length);
}

struct StoredText {
  const char* name;
  std::string actual;
  std::string expected;
};

TEST(Texts, EveryStoredTextHasItsMazoviaBytes) {
  const StoredText rows[] = {
      {"kHelpText", Bytes(texts::kHelpText),
       std::string("\x02"
                   "DOKUMENTY SPRZEDA\xA1Y:\x01\n\nPobierz zawarto\x9E\x8D MM - \x02"
                   "Ctrl+5\x01\n",
                   56)},
      {"kHostModule", Bytes(texts::kHostModule), std::string("TORVAL", 6)},
      {"kTitleError", Bytes(texts::kTitleError),
       std::string("B\x92\x86"
                   "d",
                   4)},
      {"kTitleWarning", Bytes(texts::kTitleWarning), std::string("Uwaga", 5)},
      {"kTitleWarningLower", Bytes(texts::kTitleWarningLower), std::string("uwaga", 5)},
      {"kTitleStop", Bytes(texts::kTitleStop), std::string("STOP!!!", 7)},
      {"kTitleBlocked", Bytes(texts::kTitleBlocked), std::string("Blokada", 7)},
      {"kNeedsNewerPlugin", Bytes(texts::kNeedsNewerPlugin),
       std::string("Program wymaga nowszej wtyczki!", 31)},
      {"kTableTspr", Bytes(texts::kTableTspr), std::string("Tspr", 4)},
      {"kTableTsprDok", Bytes(texts::kTableTsprDok), std::string("Tspr_dok", 8)},
      {"kTableMm", Bytes(texts::kTableMm), std::string("Mm", 2)},
      {"kTableMmDok", Bytes(texts::kTableMmDok), std::string("Mm_dok", 6)},
      {"kVersionMismatch", Bytes(texts::kVersionMismatch),
       std::string("Modu\x92 \"%s\" i program wyst\x91puj\x86 w r\xA2\xA7nych wersjach!\n\nZosta\x92 "
                   "zakualizowany tylko program albo tylko modu\x92,\na nie oba jednocze\x9Enie! Aby "
                   "naprawi\x8D t\x91 sytuacj\x91\nzainstaluj aktualizacj\x91 programu wraz z modu\x92"
                   "em \"%s\".\n\nMODU\x9C NIE ZOSTANIE ZA\x9C"
                   "ADOWANY!!!\n",
                   242)},
      {"kReportHeading", Bytes(texts::kReportHeading),
       std::string("Rozmiary rekord\xA2w niekt\xA2rych tabel nie zgadzaj\x86 si\x91\nmi\x91"
                   "dzy programem a wtyczk\x86 \"%s\":\n\n\x01tl18l33\x01TABELA\tWE WTYCZCE\tW PROGRAMIE\n",
                   125)},
      {"kReportRowLayout", Bytes(texts::kReportRowLayout), std::string("\x01tp25p40\x01", 9)},
      {"kReportNoTable", Bytes(texts::kReportNoTable), std::string("brak", 4)},
      {"kReportClosing", Bytes(texts::kReportClosing),
       std::string("\nModu\x92 wtyczki \x02%s\x01\nNIE zostanie za\x92"
                   "adowany!",
                   44)},
      {"kMissingEntry", Bytes(texts::kMissingEntry),
       std::string("W module \x02%s\x01\nbrak wpisu \x02%s\x01\nWywo\x92"
                   "ano z wtyczki \x02%s\x01.\n\nB\x92\x86"
                   "d ten mo\xA7na zignorowa\x8D lecz dalsza praca\nprogramu w tych warunkach mo\xA7"
                   "e by\x8D niebezpieczna.\n\nKonieczna jest aktualizacja programu!",
                   188)},
      {"kMissingEntryCaption", Bytes(texts::kMissingEntryCaption),
       std::string("POWA\xA1NY B\x9C\x8F"
                   "D WTYCZKI",
                   20)},
      {"kUnknownPath", Bytes(texts::kUnknownPath), std::string("<nieznany>", 10)},
      {"kPleaseWait", Bytes(texts::kPleaseWait), std::string("Prosz\x91 czeka\x8D!", 14)},
      {"kNothingToMark", Bytes(texts::kNothingToMark), std::string("Brak dokument\xA2w do zaznaczenia!", 31)},
      {"kDiskError", Bytes(texts::kDiskError),
       std::string("B\x92\x86"
                   "d operacji dyskowej!",
                   23)},
      {"kSelectionOutOfMemory", Bytes(texts::kSelectionOutOfMemory),
       std::string("B\x92\x86"
                   "d podczas alokowania pami\x91"
                   "ci w WybierzMM!\nOperacja niekompletna!",
                   67)},
      {"kCollectionDiskError", Bytes(texts::kCollectionDiskError),
       std::string("B\x92\x86"
                   "d operacji dyskowej w PobierzPozDokumentu!",
                   45)},
      {"kCollectionSeekError", Bytes(texts::kCollectionSeekError),
       std::string("B\x92\x86"
                   "d w od_fseek w PobierzPozDokumentu",
                   37)},
      {"kCollectionOutOfMemory", Bytes(texts::kCollectionOutOfMemory),
       std::string("B\x92\x86"
                   "d podczas alokowania pami\x91"
                   "ci w PobierzPozDokumentu!\nOperacja niekompletna!",
                   77)},
      {"kDocumentFull", Bytes(texts::kDocumentFull),
       std::string("Wi\x91"
                   "cej pozycji nie zmie\x9E"
                   "ci si\x91 w tym dokumencie !",
                   49)},
      {"kWarehouseLabel", Bytes(texts::kWarehouseLabel), std::string("M%d", 3)},
      {"kSettingsFile", Bytes(texts::kSettingsFile), std::string("Kombrel.ini", 11)},
      {"kSettingsSection", Bytes(texts::kSettingsSection), std::string("Kombrel", 7)},
      {"kSettingsAskKey", Bytes(texts::kSettingsAskKey), std::string("Pytaj", 5)},
      {"kSettingsFormat", Bytes(texts::kSettingsFormat), std::string("%d", 2)},
      {"kInstallationNotice", Bytes(texts::kInstallationNotice),
       std::string("Zainstalowano wtyczk\x91 do programu:\n%s", 37)},
  };
  for (const StoredText& row : rows) {
    EXPECT_EQ(row.actual, row.expected) << row.name;
  }
}

TEST(Texts, HelpTextIs56BytesWithItsControlBytes) {
  EXPECT_EQ(texts::kHelpText.size(), 56u);
  EXPECT_EQ(texts::kHelpText.bytes[0], '\x02');
  EXPECT_EQ(texts::kHelpText.bytes[21], '\x01');
  EXPECT_EQ(texts::kHelpText.bytes[56], '\0');
}

TEST(Texts, InstallationNoticeWithTheHelpTextIs91Characters) {
  // "%s" gives way to the 56 bytes of the help text.
  EXPECT_EQ(texts::kInstallationNotice.size() - 2 + texts::kHelpText.size(), 91u);
}

}  // namespace
