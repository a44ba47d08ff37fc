#include "intake/order_reader.h"

#include <cstring>

#include "intake/order_item.h"
#include "support/host_fixture.h"
#include "support/intake_support.h"

namespace {

constexpr long Anywhere = -2;  // the position after a call is not checked
constexpr long AtEnd = -1;     // the position after a call is the file's end

struct Expected {
    int code;
    std::string symbol;
    double ilosc;
    std::string nazwa;
    std::string jm;
    long position;  // an offset, AtEnd or Anywhere
};

struct ReaderCase {
    const char* name;
    std::string content;
    std::string startAt;  // the reader starts at the first occurrence, or at 0 when empty
    std::vector<Expected> calls;
};

std::string Lines(std::initializer_list<const char*> lines, const char* end = "\n") {
    std::string text;
    for (const char* line : lines) text += std::string(line) + end;
    return text;
}

const std::string Example = Lines({"[Naglowek]", "Numer=17", "[Poz1]", "Nazwa=Sruba M6", "Symbol=SR-M6", "Jm=szt",
                                   "Ilosc=250", "Cena=35", "[Poz2]", "Symbol=NK-M6", "Ilosc=100"});
const std::string ExampleCrLf = Lines({"[Naglowek]", "Numer=17", "[Poz1]", "Nazwa=Sruba M6", "Symbol=SR-M6",
                                       "Jm=szt", "Ilosc=250", "Cena=35", "[Poz2]", "Symbol=NK-M6", "Ilosc=100"},
                                      "\r\n");
// "Nazwa=" and x's filling the 1023 characters read at a time; the rest of the
// physical line would read as a key line of its own.
const std::string LongNazwa = "Nazwa=" + std::string(1023 - 6, 'x');

long Offset(const std::string& content, const std::string& text) { return static_cast<long>(content.find(text)); }

std::vector<ReaderCase> Cases() {
    return {
        {"the example file", Example, "[Poz1]",
         {{0, "SR-M6", 250.0, "Sruba M6", "szt", Offset(Example, "[Poz2]")}, {1, "NK-M6", 100.0, "", "", AtEnd}}},
        {"CR LF line ends give the same values", ExampleCrLf, "[Poz1]",
         {{0, "SR-M6", 250.0, "Sruba M6", "szt", Offset(ExampleCrLf, "[Poz2]")},
          {1, "NK-M6", 100.0, "", "", AtEnd}}},
        {"markers ignore letter case and must start the line",
         Lines({"[POZ]", "Symbol=A", "[pozycja]", "Symbol=B", " [Poz1]", "Symbol=C"}), "",
         {{0, "A", 0, "", "", 15}, {1, "C", 0, "", "", AtEnd}}},
        {"key and value are trimmed and split at the first equals sign",
         Lines({"[Poz]", "  Nazwa  =  a=b  ", "\tSymbol\t=\tX1\t", "Jm= kg"}), "", {{1, "X1", 0, "a=b", "kg", AtEnd}}},
        {"values are cut to their fields' bounds",
         "[Poz]\nSymbol=" + std::string(20, 'S') + "\nJm=" + std::string(8, 'j') + "\nNazwa=" + std::string(300, 'n') + "\n",
         "", {{1, std::string(16, 'S'), 0, std::string(120, 'n'), "jjjjj", AtEnd}}},
        {"a repeated key keeps its later value", Lines({"[Poz]", "Ilosc=1", "Symbol=A", "Ilosc=2,5"}), "",
         {{1, "A", 2.5, "", "", AtEnd}}},
        {"a foreign bracketed line after keys ends the file's reading",
         Lines({"[Poz]", "Symbol=A", "[Koniec]", "[Poz]", "Symbol=B"}), "",
         {{4, "A", 0, "", "", 15}, {3, "", 0, "", "", 15}}},
        {"a section without keys before a marker", Lines({"[Poz1]", "Cena=1", "[Poz2]", "Symbol=B"}), "",
         {{2, "", 0, "", "", 14}, {1, "B", 0, "", "", AtEnd}}},
        {"a section without keys before a foreign bracketed line ends the file",
         Lines({"[Poz]", "tekst", "[Inne]", "[Poz]", "Symbol=B"}), "", {{3, "", 0, "", "", 12}, {3, "", 0, "", "", 12}}},
        {"the file ends right after a marker", "[Poz]\n", "", {{3, "", 0, "", "", AtEnd}}},
        {"the file ends right after a marker without line end", "[Poz]", "", {{3, "", 0, "", "", AtEnd}}},
        {"empty lines and lines without equals change nothing",
         Lines({"[Poz]", "", "bez znaku", "Symbol=A", "", "Ilosc=3"}), "", {{1, "A", 3.0, "", "", AtEnd}}},
        {"the rest of an over-long line is not read as a line",
         "[Poz]\n" + LongNazwa + "Symbol=ZLY\nJm=kg\n", "", {{1, "", 0, std::string(120, 'x'), "kg", AtEnd}}},
        {"a marker in the rest of an over-long line opens no section",
         "[Poz]\n" + LongNazwa + "[Poz2]\nSymbol=B\n", "", {{1, "B", 0, std::string(120, 'x'), "", AtEnd}}},
        {"lines are converted from the Windows code page",
         "[Poz]\nNazwa=\x8C" "ruba \xA3" "adna\n", "", {{1, "", 0, "\x98ruba \x9C" "adna", "", AtEnd}}},
    };
}

class OrderReader : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        scratch_ = std::make_unique<ScratchDirectory>("reader_tmp");
    }
    void TearDown() override {
        HostFixture::TearDown();
        scratch_.reset();
    }
    std::unique_ptr<ScratchDirectory> scratch_;
};

TEST_F(OrderReader, ReadsSectionsAsTheTableOfCasesSays) {
    for (const ReaderCase& test : Cases()) {
        SCOPED_TRACE(test.name);
        const std::string path = (scratch_->path() / "order.txt").string();
        WriteBytes(path, test.content);
        ImportObject import;
        import->openFile = HostOpenFile(path.c_str(), "rb", 0x40, 0, -1);
        ASSERT_NE(import->openFile, nullptr);
        if (!test.startAt.empty()) HostSeekFile(import->openFile, Offset(test.content, test.startAt), 0);
        for (size_t i = 0; i < test.calls.size(); ++i) {
            SCOPED_TRACE("call " + std::to_string(i + 1));
            const Expected& expected = test.calls[i];
            OrderItem item;
            std::memset(&item, 0x55, sizeof item);  // the reader clears it
            EXPECT_EQ(import->ReadOrderSection(&item, "[Poz"), expected.code);
            EXPECT_EQ(std::string(item.Symbol), expected.symbol);
            EXPECT_EQ(item.Ilosc, expected.ilosc);
            EXPECT_EQ(std::string(item.Nazwa), expected.nazwa);
            EXPECT_EQ(std::string(item.Jm), expected.jm);
            const long position = HostTellFile(import->openFile);
            if (expected.position == AtEnd) {
                EXPECT_EQ(position, static_cast<long>(test.content.size()));
            } else if (expected.position != Anywhere) {
                EXPECT_EQ(position, expected.position);
            }
        }
        HostCloseFile(import->openFile);
        import->openFile = nullptr;
    }
}

TEST_F(OrderReader, SplitKeyValueLeavesBothEmptyWithoutEqualsAndDropsTheLineEnd) {
    struct Split { const char* line; const char* key; const char* value; };
    const Split cases[] = {
        {"bez znaku\n", "", ""},
        {" Symbol = A-1 \n", "Symbol", "A-1"},
        {"Nazwa=a=b\n", "Nazwa", "a=b"},
        {"=wartosc", "", "wartosc"},
    };
    for (const Split& test : cases) {
        SCOPED_TRACE(test.line);
        char line[OrderLineSize];
        std::strcpy(line, test.line);
        char key[KeyValueSize] = "x", value[KeyValueSize] = "x";
        SplitKeyValue(value, line, key, KeyValueSize);
        EXPECT_STREQ(key, test.key);
        EXPECT_STREQ(value, test.value);
    }
}

}  // namespace
