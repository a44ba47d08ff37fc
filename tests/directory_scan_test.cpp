#include "intake/directory_scan.h"

#include <cstring>

#include "support/host_fixture.h"
#include "support/intake_support.h"

namespace fs = std::filesystem;

namespace {

std::string Section(const std::string& symbol, const std::string& ilosc) {
    return "[Poz]\nSymbol=" + symbol + "\nIlosc=" + ilosc + "\n";
}

// Bytes without any bracket, in lines, so that the reader finds no section.
std::string Filler(size_t size) {
    std::string bytes(size, 'a');
    for (size_t i = 0; i < size; ++i) bytes[i] = (i % 80 == 79) ? '\n' : static_cast<char>('a' + i % 26);
    return bytes;
}

struct Position {
    std::string code;
    int32_t quantity;
    bool operator==(const Position&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Position& p) { return out << p.code << "=" << p.quantity; }

class DirectoryScan : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        scratch_ = std::make_unique<ScratchDirectory>("scan_tmp");
        drop_ = scratch_->path() / "drop";
        archive_ = scratch_->path() / "drop_arch";
        fs::create_directories(drop_);
    }
    void TearDown() override {
        HostFixture::TearDown();
        Scenario(json::object());  // the host lets go of files it holds
        scratch_.reset();
    }

    // The drop directory as the plug-in names it, relative to the working directory.
    static std::string Directory() { return "scan_tmp\\drop"; }
    std::string OrderPath(const std::string& name) const { return Directory() + "\\" + name; }

    void Drop(const std::string& name, const std::string& bytes) { WriteBytes(drop_ / name, bytes); }

    // Runs one scan on a fresh import object; the positions it gathered.
    std::vector<Position> Scan(int* capacity = nullptr) {
        ImportObject import;
        import.SetDirectory(Directory());
        EXPECT_EQ(import->ScanOrderDirectory(), 1);
        EXPECT_EQ(import->openFile, nullptr);
        std::vector<Position> out;
        for (const PositionRecord& record : import.Positions()) {
            EXPECT_EQ(record.goodsId, 0);
            EXPECT_EQ(record.warehouse, 0);
            out.push_back({record.code, record.quantity});
        }
        if (capacity != nullptr) *capacity = import->positionCapacity;
        return out;
    }

    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const json& m : Events("message")) out.push_back(m["title"].get<std::string>() + "|" + MessageText(m));
        return out;
    }

    std::vector<int> Sizes(const std::string& kind) const {
        std::vector<int> out;
        for (const json& e : Events(kind)) out.push_back(e.contains("size") ? e["size"].get<int>() : 0);
        return out;
    }

    std::unique_ptr<ScratchDirectory> scratch_;
    fs::path drop_, archive_;
};

TEST_F(DirectoryScan, GathersPositionsInSearchOrderAndMovesEveryFileToTheArchive) {
    const std::string a = "[Naglowek]\nNumer=1\n" + Section("A1", "1") + Section("A2", "2");
    const std::string b = "[Naglowek]\nNumer=2\nbez sekcji\n";
    const std::string c = "Numer=3\n[Naglowek]\n[Poz1]\r\nSymbol=C1\r\nIlosc=3\r\n";
    Drop("c.txt", c);
    Drop("a.txt", a);
    Drop("b.txt", b);
    fs::create_directories(drop_ / "podkatalog");  // not an entry of the search

    EXPECT_EQ(Scan(), (std::vector<Position>{{"A1", 1000}, {"A2", 2000}, {"C1", 3000}}));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(ReadBytes(archive_ / "a.txt"), a);
    EXPECT_EQ(ReadBytes(archive_ / "b.txt"), b);
    EXPECT_EQ(ReadBytes(archive_ / "c.txt"), c);
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) EXPECT_FALSE(fs::exists(drop_ / name)) << name;
    EXPECT_EQ(KorpusCallCount("HostFindClose"), 1);
}

TEST_F(DirectoryScan, AnEmptyDirectoryEndsAtOnceWithoutEndingTheSearch) {
    EXPECT_TRUE(Scan().empty());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(KorpusCallCount("HostFindClose"), 0);
}

TEST_F(DirectoryScan, QuantitiesBecomeThousandthsTruncatedTowardZero) {
    Drop("q.txt", Section("P25", "2.5") + Section("M2", "-2") + Section("TINY", "0.0005") + Section("J1001", "1.001") +
                      Section("COMMA", "2,5") + "[Poz]\nSymbol=NOQTY\n" + "[Poz]\nIlosc=7\n" + "[Poz]\nNazwa=tylko\n" +
                      Section("ABCDEFGHIJKLMNOP", "1") + Section("BIG", "2147483.6") + Section("NEG", "-2147483.6") +
                      Section("TRAIL", "4 szt"));
    EXPECT_EQ(Scan(), (std::vector<Position>{{"P25", 2500}, {"M2", -2000}, {"TINY", 0}, {"J1001", 1000},
                                             {"COMMA", 2500}, {"NOQTY", 0}, {"", 7000}, {"", 0},
                                             {"ABCDEFGHIJKLMNOP", 1000}, {"BIG", 2147483600},
                                             {"NEG", -2147483600}, {"TRAIL", 4000}}));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(DirectoryScan, AQuantityThatIsNoCountIsNamedAndItsPositionLeftOut) {
    const std::string bad[] = {"abc", "", "inf", "1e300", "2147484", "-2147484", "-", ".e5"};
    std::string content = Section("OK1", "1");
    for (const std::string& value : bad) content += Section("X", value);
    content += Section("OK2", "2");
    Drop("z.txt", content);

    EXPECT_EQ(Scan(), (std::vector<Position>{{"OK1", 1000}, {"OK2", 2000}}));
    std::vector<std::string> expected;
    for (const std::string& value : bad)
        expected.push_back("Uwaga|Nieprawidłowa ilość w pliku:" + OrderPath("z.txt") + "\nSymbol=X Ilosc=" + value +
                           "\nPozycja pominięta!");
    EXPECT_EQ(Messages(), expected);
    // Nothing is lost: the file is archived whole.
    EXPECT_EQ(ReadBytes(archive_ / "z.txt"), content);
    EXPECT_FALSE(fs::exists(drop_ / "z.txt"));
}

TEST_F(DirectoryScan, ThePositionsBlockGrowsByAHundredRecords) {
    struct Growth { long refuseAtLeast; int sections; int count; int capacity; int messages; };
    // A request of exactly 4900 or 9800 bytes: refused at that size, granted one byte above it.
    const Growth cases[] = {
        {0, 100, 100, 100, 0},   {4900, 3, 0, 0, 3},     {4901, 3, 3, 100, 0},
        {9800, 101, 100, 100, 1}, {9801, 101, 101, 200, 0},
    };
    for (const Growth& test : cases) {
        SCOPED_TRACE("refused at " + std::to_string(test.refuseAtLeast) + ", " + std::to_string(test.sections) + " sections");
        Scenario({{"memory", {{"refuse_at_least", test.refuseAtLeast}}}});
        std::string content;
        for (int i = 0; i < test.sections; ++i) content += Section("S" + std::to_string(i), "1");
        Drop("g.txt", content);
        int capacity = -1;
        const std::vector<Position> positions = Scan(&capacity);
        ASSERT_EQ(static_cast<int>(positions.size()), test.count);
        for (int i = 0; i < test.count; ++i) EXPECT_EQ(positions[i].code, "S" + std::to_string(i));
        EXPECT_EQ(capacity, test.capacity);
        const std::vector<std::string> full(test.messages,
            "Błąd|Błąd rezerwowania pamięci w DodajPozycjeDoDokumentu!\nOperacja niekompletna!");
        EXPECT_EQ(Messages(), full);
        EXPECT_EQ(KorpusLiveBlocks(), 0);
    }
}

TEST_F(DirectoryScan, TheArchiveCopyMovesBlocksOfAtMost256KiB) {
    struct Copy { size_t size; long refuseAtLeast; std::vector<int> refused; std::vector<int> blocks; };
    const Copy cases[] = {
        {0, 0, {}, {}},
        {65536, 0, {}, {65536}},
        {300000, 0, {}, {262144, 37856}},
        {300000, 261121, {262144, 261632}, {261120, 38880}},
    };
    for (const Copy& test : cases) {
        SCOPED_TRACE(std::to_string(test.size) + " bytes");
        Scenario({{"memory", {{"refuse_at_least", test.refuseAtLeast}}}});
        const std::string bytes = Filler(test.size);
        Drop("f.bin", bytes);
        EXPECT_TRUE(Scan().empty());
        EXPECT_EQ(Sizes("allocation_refused"), test.refused);
        EXPECT_EQ(Sizes("file_write"), test.blocks);
        EXPECT_EQ(Sizes("file_read"), test.blocks);
        EXPECT_TRUE(Messages().empty());
        ASSERT_TRUE(fs::exists(archive_ / "f.bin"));
        EXPECT_EQ(ReadBytes(archive_ / "f.bin"), bytes);
        EXPECT_FALSE(fs::exists(drop_ / "f.bin"));
    }
}

TEST_F(DirectoryScan, AnExistingArchiveIsReusedAndItsFileOverwritten) {
    fs::create_directories(archive_);
    WriteBytes(archive_ / "a.txt", "stara kopia, dłuższa niż nowa treść\n");
    WriteBytes(archive_ / "inny.txt", "zostaje");
    Drop("a.txt", Section("A", "1"));
    EXPECT_EQ(Scan(), (std::vector<Position>{{"A", 1000}}));
    EXPECT_EQ(ReadBytes(archive_ / "a.txt"), Section("A", "1"));
    EXPECT_EQ(ReadBytes(archive_ / "inny.txt"), "zostaje");
    EXPECT_TRUE(Messages().empty());
}

// Each failure is reported with its text and leaves the file where it was.
TEST_F(DirectoryScan, AFileIsRemovedOnlyAfterAWholeArchiveCopy) {
    struct Failure { const char* name; json scenario; std::vector<std::string> messages; bool archived; };
    const std::string path = OrderPath("a.txt");
    const Failure cases[] = {
        {"the file does not open for reading", {{"file_faults", {{{"op", "open"}, {"call", 1}}}}},
         {"|Błąd otwarcia pliku:" + path}, true},
        {"the file does not open for the archive copy", {{"file_faults", {{{"op", "open"}, {"call", 2}}}}},
         {"Uwaga|Nie można przenieść pliku do archiwum!\n" + path}, false},
        {"the archive file does not open", {{"file_faults", {{{"op", "open"}, {"call", 3}}}}},
         {"Uwaga|Nie można przenieść pliku do archiwum!\n" + path}, false},
        {"the host cannot tell the file's length", {{"file_faults", {{{"op", "length"}, {"call", 1}}}}},
         {"Uwaga|Nie można przenieść pliku do archiwum!\n" + path}, false},
        {"the copy fails half-way", {{"file_faults", {{{"op", "write"}, {"call", 2}}}}},
         {"Uwaga|Nie można przenieść pliku do archiwum!\n" + path}, false},
        // The copy may well be whole, but the plug-in cannot know it.
        {"the archive file does not close", {{"file_faults", {{{"op", "close"}, {"call", 2}}}}},
         {"Uwaga|Nie można przenieść pliku do archiwum!\n" + path}, true},
        {"no memory even for the smallest block", {{"memory", {{"refuse_at_least", 1}}}},
         {"Błąd|Błąd rezerwowania pamięci w DodajPozycjeDoDokumentu!\nOperacja niekompletna!",
          "Uwaga|Nie można przenieść pliku do archiwum!\n" + path}, false},
        {"the file cannot be removed", {{"file_faults", {{{"op", "remove"}, {"file", "a.txt"}}}}},
         {"Uwaga|Nie udało się usunąć pliku z katalogu z katalogu tymczasowego!\n" + path}, true},
    };
    const std::string content = Section("A", "1") + Filler(300000);
    for (const Failure& test : cases) {
        SCOPED_TRACE(test.name);
        Scenario(test.scenario);
        fs::remove_all(archive_);
        Drop("a.txt", content);
        Scan();
        EXPECT_EQ(Messages(), test.messages);
        EXPECT_EQ(ReadBytes(drop_ / "a.txt"), content);
        EXPECT_EQ(fs::exists(archive_ / "a.txt") && ReadBytes(archive_ / "a.txt") == content, test.archived);
        EXPECT_EQ(KorpusLiveBlocks(), 0);
    }
}

TEST_F(DirectoryScan, AFileThatCouldNotBeRemovedIsReadAgainByTheNextImport) {
    Scenario({{"file_faults", {{{"op", "remove"}, {"file", "a.txt"}}}}});
    Drop("a.txt", Section("A", "1"));
    EXPECT_EQ(Scan(), (std::vector<Position>{{"A", 1000}}));
    ASSERT_TRUE(fs::exists(drop_ / "a.txt"));
    Scenario(json::object());
    EXPECT_EQ(Scan(), (std::vector<Position>{{"A", 1000}}));
    EXPECT_FALSE(fs::exists(drop_ / "a.txt"));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(DirectoryScan, ABreakEndsTheReadingOfTheCurrentFileOnly) {
    Scenario({{"user_break", {2}}});
    Drop("a.txt", Section("A1", "1") + Section("A2", "2") + Section("A3", "3"));
    Drop("b.txt", Section("B1", "4"));
    EXPECT_EQ(Scan(), (std::vector<Position>{{"A1", 1000}, {"B1", 4000}}));
    EXPECT_EQ(KorpusCallCount("HostUserBreak"), 3);
    EXPECT_FALSE(fs::exists(drop_ / "a.txt"));
    EXPECT_TRUE(fs::exists(archive_ / "a.txt"));
    EXPECT_FALSE(fs::exists(drop_ / "b.txt"));
}

TEST_F(DirectoryScan, AnEntryWhosePathDoesNotFitIsLeftUntouched) {
    // "scan_tmp\drop\" and 250 characters: more than the 255 a path may have.
    const std::string longName = std::string(246, 'n') + ".txt";
    Drop(longName, Section("LONG", "1"));
    Drop("a.txt", Section("A", "1"));
    EXPECT_EQ(Scan(), (std::vector<Position>{{"A", 1000}}));
    EXPECT_EQ(Messages(), (std::vector<std::string>{
        "Uwaga|Zbyt długa ścieżka pliku, plik pominięto i pozostawiono w katalogu:\n" + Directory() + "\\" + longName}));
    EXPECT_EQ(ReadBytes(drop_ / longName), Section("LONG", "1"));
    EXPECT_FALSE(fs::exists(archive_ / longName));
    EXPECT_TRUE(Events("file_open").size() == 3u) << "only a.txt is opened";
}

TEST_F(DirectoryScan, TheRestOfAnOverLongHeaderLineIsNoMarker) {
    Drop("h.txt", "Uwagi=" + std::string(1023 - 6, 'u') + "[Poz9]\nSymbol=ZLY\n[Poz1]\nSymbol=OK\nIlosc=1\n");
    EXPECT_EQ(Scan(), (std::vector<Position>{{"OK", 1000}}));
}

}  // namespace
