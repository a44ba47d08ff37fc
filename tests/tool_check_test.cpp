// zbieracz-host check: what it says about order files, and its exit codes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "goods_catalogue.h"
#include "order_check.h"
#include "paths.h"

using namespace tool;

namespace {

std::vector<std::string> Lines(const FileReading& reading) {
    std::vector<std::string> lines;
    for (const Diagnostic& diagnostic : reading.diagnostics) lines.push_back(FormatDiagnostic(diagnostic));
    return lines;
}

struct CheckCase {
    const char* what;
    std::string bytes;  // Windows-1250
    std::vector<std::string> expected;
};

const std::string Clean = "[Naglowek]\nNumer=17\n[Poz1]\nNazwa=Sruba M6\nSymbol=SR-M6\nJm=szt\nIlosc=250\n"
                          "[Poz2]\nSymbol=NK-M6\nIlosc=100\n";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

const CheckCase CheckCases[] = {
    {"a clean file with a header section", Clean, {}},
    {"the same file with CR LF line ends", Replace(Clean, "\n", "\r\n"), {}},
    {"marker lines in other letter cases", "[POZ]\nSymbol=A\nIlosc=1\n[pozycja 2]\nSymbol=B\nIlosc=2\n", {}},
    {"a file without sections", "[Naglowek]\nSymbol=A\nIlosc=1\n",
     {"f.txt: warning: no \"[Poz\" section: nothing is ordered from this file"}},
    {"a marker preceded by a blank is not a marker", " [Poz1]\nSymbol=A\n",
     {"f.txt: warning: no \"[Poz\" section: nothing is ordered from this file"}},
    {"a section without Symbol", "[Poz1]\nNazwa=Sruba\nIlosc=2\n[Poz2]\nSymbol=\nIlosc=1\n",
     {"f.txt:1: warning: section has no Symbol: its goods are not ordered",
      "f.txt:5: warning: Symbol is empty: the goods of this section are not ordered"}},
    {"a section without any key before the next marker", "[Poz1]\n\n[Poz2]\nSymbol=A\nIlosc=1\n",
     {"f.txt:1: warning: section has no Symbol and no other key: it is skipped"}},
    {"a section without Ilosc", "[Poz1]\nSymbol=A\nJm=szt\n",
     {"f.txt:1: warning: section has no Ilosc: 'A' is ordered with quantity 0"}},
    {"unknown keys and lines without \"=\"; blank lines are fine",
     "[Poz1]\nSymbol=A\nIlosc=1\nCena=35\nbez znaku\n   \n=7\nIlo\x9C\xE6=3\n",
     {"f.txt:4: warning: unknown key 'Cena' is ignored", "f.txt:5: warning: line without \"=\" is ignored",
      "f.txt:7: warning: line with an empty key is ignored", "f.txt:8: warning: unknown key 'Ilość' is ignored"}},
    {"a key given twice, in any letter case", "[Poz1]\nSymbol=A\nIlosc=1\nsymbol=B\n",
     {"f.txt:4: warning: key Symbol given twice in this section (first on line 2): this value replaces it"}},
    {"a bracketed line ends the reading; later sections are never read",
     "[Poz1]\nSymbol=A\nIlosc=1\n[Uwagi]\nx=1\n[Poz2]\nSymbol=B\nIlosc=1\n[poz3]\n",
     {"f.txt:4: warning: '[Uwagi]' is not a \"[Poz\" marker: it ends the reading of this file",
      "f.txt:6: warning: section is never read: the reading of the file ended at line 4",
      "f.txt:9: warning: section is never read: the reading of the file ended at line 4"}},
    {"quantities that are not numbers or change in thousandths",
     "[Poz1]\nSymbol=A\nIlosc=1.001\n[Poz2]\nSymbol=B\nIlosc=abc\n[Poz3]\nSymbol=C\nIlosc=2 szt\n"
     "[Poz4]\nSymbol=D\nIlosc=2,5\n[Poz5]\nSymbol=E\nIlosc=0.0005\n[Poz6]\nSymbol=F\nIlosc=3000000\n"
     "[Poz7]\nSymbol=G\nIlosc=-2\n[Poz8]\nSymbol=H\nIlosc=1e3\n[Poz9]\nSymbol=I\nIlosc=0x10\n"
     "[Poz10]\nSymbol=J\nIlosc=\n",
     {"f.txt:3: warning: Ilosc '1.001' loses precision: it is stored as 1.000 (1000 thousandths)",
      "f.txt:6: warning: Ilosc 'abc' is not a number: the import skips this section",
      "f.txt:9: warning: Ilosc '2 szt' is not a plain number: only '2' is read, as 2.000",
      "f.txt:15: warning: Ilosc '0.0005' loses precision: it is stored as 0.000 (0 thousandths)",
      "f.txt:18: warning: Ilosc '3000000' is outside what the host can store (-2147483.648 to 2147483.647): "
      "the import skips this section",
      "f.txt:27: warning: Ilosc '0x10' is not a plain number: only '0' is read, as 0.000",
      "f.txt:30: warning: Ilosc '' is not a number: the import skips this section"}},
    {"values cut at their bounds",
     "[Poz1]\nSymbol=ABCDEFGHIJKLMNOPQRST\nJm=sztuki\nNazwa=" + std::string(130, 'n') + "\nIlosc=1\n",
     {"f.txt:2: warning: Symbol 'ABCDEFGHIJKLMNOPQRST' is longer than 16 characters: it is cut to "
      "'ABCDEFGHIJKLMNOP'",
      "f.txt:3: warning: Jm 'sztuki' is longer than 5 characters: it is cut to 'sztuk'",
      "f.txt:4: warning: Nazwa '" + std::string(130, 'n') + "' is longer than 120 characters: it is cut to '" +
          std::string(120, 'n') + "'"}},
    {"an over-long line is read only in part", "[Poz1]\nSymbol=A\nIlosc=1\nx" + std::string(1100, '=') + "\n",
     {"f.txt:4: warning: line is 1101 characters long; only its first 1023 are read",
      "f.txt:4: warning: unknown key 'x' is ignored"}},
};

}  // namespace

TEST(OrderFileCheck, ReportsWhatTheImportWillMakeOfEachLine) {
    for (const CheckCase& c : CheckCases)
        EXPECT_EQ(Lines(CheckOrderBytes(c.bytes, "f.txt", nullptr)), c.expected) << c.what;
}

TEST(OrderFileCheck, PredictsThePositionsTheImportTakes) {
    const FileReading reading =
        CheckOrderBytes("[Poz1]\nSymbol=SR-M6\nIlosc=2.5\n[Poz2]\nNazwa=x\n[Poz3]\n[Poz4]\nSymbol=A\nIlosc=1.001\n"
                        "[Poz5]\nSymbol=B\nIlosc=dwa\n",
                        "f.txt", nullptr);
    ASSERT_EQ(reading.positions.size(), 3u);
    EXPECT_EQ(reading.positions[0].code, "SR-M6");
    EXPECT_EQ(reading.positions[0].thousandths, 2500);
    EXPECT_EQ(reading.positions[1].code, "");  // a section with a name only still counts as read
    EXPECT_EQ(reading.positions[2].code, "A");
    EXPECT_EQ(reading.positions[2].thousandths, 1000);
    EXPECT_EQ(reading.positions[2].line, 7);
}

TEST(OrderFileCheck, NamesCodesThatNoWarehouseKnowsIgnoringTheCaseOfAsciiLetters) {
    const Catalogue catalogue = ParseCatalogue(
        "warehouse,goods_id,code,name,table\n0,1,sr-m6,Śruba,k9\n3,2,ŁATA,Łata,117\n", "k.csv");
    ASSERT_TRUE(catalogue.Loaded()) << catalogue.error;
    const KnownCodes codes(catalogue);
    const FileReading reading = CheckOrderBytes(
        "[Poz1]\nSymbol=SR-M6\nIlosc=1\n[Poz2]\nSymbol=\xA3" "ATA\nIlosc=1\n[Poz3]\nSymbol=\xB3" "ata\nIlosc=1\n",
        "f.txt", &codes);
    EXPECT_EQ(Lines(reading), std::vector<std::string>{
                                  "f.txt:8: warning: code 'łata' is not known in any warehouse of the catalogue"});
}

TEST(OrderFileCheck, ExitCodesTellCleanFilesFromWarningsAndUnreadableFiles) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / "zbieracz-check-test";
    fs::remove_all(root);
    fs::create_directories(root / "drop");
    fs::create_directories(root / "drop_arch");
    auto write = [](const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    };
    write(root / "drop" / "a.txt", Clean);
    const std::string drop = Utf8Of(root / "drop");
    EXPECT_EQ(CheckTargets({drop}, nullptr).exitCode, 0);

    // The same bytes already in the archive: a second delivery.
    write(root / "drop_arch" / "wczoraj.txt", Clean);
    CheckOutcome outcome = CheckTargets({drop}, nullptr);
    EXPECT_EQ(outcome.exitCode, 1);
    ASSERT_EQ(outcome.lines.size(), 1u);
    EXPECT_EQ(outcome.lines[0], drop + "/a.txt: warning: same bytes as " + drop +
                                    "_arch/wczoraj.txt, already imported: probably delivered twice");
    // A single file is compared with the archive beside its directory too.
    EXPECT_EQ(CheckTargets({drop + "/a.txt"}, nullptr).exitCode, 1);

    outcome = CheckTargets({drop, Utf8Of(root / "missing.txt")}, nullptr);
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.lines.back(), Utf8Of(root / "missing.txt") + ": error: cannot be read");
    fs::remove_all(root);
}
