// The whole collective import through the installed Tzak hook: three
// branches' order files, a catalogue of three warehouses, and what the host
// shows and stores afterwards.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "shell/tzak_hook.h"
#include "support/host_fixture.h"

namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Order files as the branches write them: Windows-1250 bytes.
// Ś=8C ł=B3 ó=F3 ę=EA ż=BF Ł=A3 Ż=AF
const std::string Krakow =  // CR LF, a header section first
    "[Naglowek]\r\nFilia=Krak\xF3w\r\nData=2026-12-10\r\n"
    "[Poz1]\r\nNazwa=\x8C" "ruba M6\r\nSymbol=SR-M6\r\nJm=szt\r\nIlosc=250\r\n"
    "[Poz2]\r\nNazwa=Nakr\xEAtka M6\r\nSymbol=nk-m6\r\nJm=szt\r\nIlosc=100\r\n";
const std::string Lodz =  // LF
    "[Poz]\nNazwa=Podk\xB3" "adka 8\nSymbol=PD-8\nIlosc=12,5\n"
    "[Poz]\nSymbol=SR-M6\nIlosc=50\n"
    "[Poz]\nSymbol=NK-M6\nIlosc=20\n";
const std::string Gdansk =  // LF, a code with national letters and one nobody knows
    "[Poz]\nNazwa=\xA3o\xBFysko\nSymbol=\xA3O\xAF-1\nIlosc=2\n"
    "[Poz]\nSymbol=XX-0\nIlosc=3\n";

const json Catalogue = json::array({
    {{"warehouse", 0}, {"goods_id", 101}, {"code", "SR-M6"}, {"name", "Śruba M6"}, {"table", "k9"}},
    {{"warehouse", 1}, {"goods_id", 202}, {"code", "NK-M6"}, {"name", "Nakrętka M6"}, {"table", "k9"}},
    {{"warehouse", 1}, {"goods_id", 101}, {"code", "SR-M6"}, {"name", "Śruba M6"}, {"table", "k9"}},
    {{"warehouse", 2}, {"goods_id", 303}, {"code", "PD8-STARY"}, {"name", "Podkładka 8"}, {"table", "k9"}},
    {{"warehouse", 2}, {"goods_id", 303}, {"code", "PD-8"}, {"name", "Podkładka 8"}, {"table", "117"}},
    {{"warehouse", 2}, {"goods_id", 304}, {"code", "ŁOŻ-1"}, {"name", "Łożysko"}, {"table", "k9"}},
});

}  // namespace

class ImportEndToEnd : public HostFixture {};

TEST_F(ImportEndToEnd, ThreeBranchesBecomeOneDocumentWithOneLinePerIdentifiedCode) {
    const fs::path drop = fs::path(HostDir()) / "drop";
    const fs::path archive = fs::path(HostDir()) / "drop_arch";
    fs::create_directories(drop);
    WriteFile(drop / "krakow.txt", Krakow);
    WriteFile(drop / "lodz.txt", Lodz);
    WriteFile(drop / "gdansk.txt", Gdansk);

    Scenario({{"goods", Catalogue},
              {"tzak_handler_result", 5},
              {"answers", {{"dialog", {{{"key", "F12"}, {"text", drop.string()}}}}}}});
    ASSERT_EQ(InstallTzakHook(), 0);
    EXPECT_EQ(Fire(CollectiveOrderEvent, OrderDocumentType), 5);

    // The lines, in code order (bytes of the host's code page: Ł sorts last),
    // each from the lowest warehouse that knows its code; nk-m6 and NK-M6 stay
    // two positions and both find goods 202.
    const json saved = Events("lines_saved");
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0]["kind"], ".PZK");
    json lines = json::array();
    for (const json& line : saved[0]["lines"])
        lines.push_back({line["goods_id"], line["warehouse"], line["quantity"]});
    const json expected = {{202, 1, 20000}, {303, 2, 12500}, {101, 0, 300000}, {202, 1, 100000}, {304, 2, 2000}};
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(Events("document_closed").size(), 1u);

    // What the person at the host saw: the prompt, one count, the header dialog.
    const json dialogs = Events("dialog");
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0]["field_after"], drop.string());
    const json messages = Events("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0]["title"], "blokada");
    EXPECT_EQ(messages[0]["text"], "Zidentyfikowano 5 pozycji z 6 wczytanych z plików!");
    EXPECT_EQ(Events("header_dialog").size(), 1u);

    // Every order file moved to the archive, byte for byte.
    EXPECT_TRUE(fs::is_empty(drop));
    EXPECT_EQ(ReadFile(archive / "krakow.txt"), Krakow);
    EXPECT_EQ(ReadFile(archive / "lodz.txt"), Lodz);
    EXPECT_EQ(ReadFile(archive / "gdansk.txt"), Gdansk);

    // The directory is remembered, each backslash doubled.
    std::string escaped;
    for (char c : drop.string()) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    EXPECT_NE(ReadFile(fs::path(HostDir()) / "Zbieracz.ini").find("Katalog=" + escaped + "\r\n"), std::string::npos);

    // The host's own handler gets the event last, as the hook received it.
    const json transcript = Transcript();
    ASSERT_FALSE(transcript.empty());
    const json& last = transcript.back();
    ASSERT_EQ(last["event"], "tzak_handler");
    json arguments = {CollectiveOrderEvent, OrderDocumentType};
    for (uint32_t value : Rest) arguments.push_back(value);
    EXPECT_EQ(last["arguments"], arguments);
    EXPECT_EQ(Events("tzak_handler").size(), 1u);
    EXPECT_EQ(KorpusLiveBlocks(), 0);
}
