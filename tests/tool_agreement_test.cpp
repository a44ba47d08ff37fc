// What zbieracz-host check predicts agrees with what the import does: both
// run on the same order files, generated hostile ones among them.
#include <cstdint>

#include "intake/position_record.h"
#include "order_check.h"
#include "support/host_fixture.h"
#include "support/intake_support.h"
#include "text_encoding.h"

namespace fs = std::filesystem;

namespace {

// Lines an order file may hold, in Windows-1250: good ones and every kind of
// mistake the check reports.
const std::vector<std::string> Vocabulary = {
    "[Poz1]", "[POZ]", "[pozycja 7]", " [Poz1]", "[Uwagi]", "[Naglowek]",
    "Symbol=SR-M6", "symbol = nk-m6 ", "Symbol=", "Symbol=ABCDEFGHIJKLMNOPQRSTU", "Symbol=\xA3" "ATA-1",
    "Symbol=a=b", "Nazwa=\x8Cruba M6", "Jm=sztuki", "Cena=35", "=5", "bez znaku rownosci", "", "   ",
    "Ilosc=1.001", "Ilosc=abc", "Ilosc=2,5", "Ilosc=", "Ilosc=2 szt", "Ilosc=1e12", "Ilosc=-3", "Ilosc=0.0005",
    "Ilosc=+.5", "Ilosc=7", "Ilosc=1e-400", "Ilosc=" + std::string(300, '9'), "Ilosc=0x10",
    "Nazwa=" + std::string(1100, 'x'), std::string(1030, 'y') + "[Poz9]", std::string(1022, 'z') + "=",
};

class Generator {
public:
    explicit Generator(uint32_t seed) : state_(seed) {}
    uint32_t Next(uint32_t bound) {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) % bound;
    }
    std::string File() {
        std::string bytes;
        const bool crlf = Next(3) == 0;
        const uint32_t lines = 3 + Next(40);
        for (uint32_t i = 0; i < lines; ++i) {
            // Markers and quantities come often enough to make sections.
            const uint32_t pick = Next(10);
            const std::string& line = pick < 2   ? Vocabulary[Next(3)]
                                      : pick < 4 ? Vocabulary[19 + Next(13)]
                                      : pick < 5 ? Vocabulary[6]
                                                 : Vocabulary[Next(Vocabulary.size())];
            bytes += line;
            if (i + 1 < lines || Next(4) != 0) bytes += crlf ? "\r\n" : "\n";
        }
        return bytes;
    }

private:
    uint32_t state_;
};

struct Position {
    std::string code;  // host code page
    long long quantity;
    bool operator==(const Position&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Position& p) { return out << p.code << "=" << p.quantity; }

class CheckAgreesWithImport : public HostFixture {};

}  // namespace

TEST_F(CheckAgreesWithImport, OnTheSamePositionsAndSkippedQuantities) {
    ScratchDirectory scratch("agree_tmp");
    fs::create_directories(scratch.path() / "drop");
    Generator generator(20261211);
    std::vector<Position> predicted;
    int skipped = 0;
    for (int file = 0; file < 40; ++file) {
        const std::string name = "f" + std::string(file < 10 ? "0" : "") + std::to_string(file) + ".txt";
        const std::string bytes = generator.File();
        WriteBytes(scratch.path() / "drop" / name, bytes);
        const tool::FileReading reading = tool::CheckOrderBytes(bytes, name, nullptr);
        for (const tool::PredictedPosition& position : reading.positions)
            predicted.push_back({tool::MazoviaFromWindows1250(position.code), position.thousandths});
        for (const tool::Diagnostic& diagnostic : reading.diagnostics)
            skipped += diagnostic.message.find("the import skips this section") != std::string::npos;
    }
    ASSERT_GT(predicted.size(), 40u);
    ASSERT_GT(skipped, 5);

    std::vector<Position> imported;
    {
        ImportObject import;
        import.SetDirectory("agree_tmp\\drop");
        import->ScanOrderDirectory();
        for (const PositionRecord& record : import.Positions()) imported.push_back({record.code, record.quantity});
    }
    EXPECT_EQ(imported, predicted);

    int rejected = 0;
    for (const json& message : Events("message"))
        rejected += MessageText(message).rfind("Nieprawidłowa ilość", 0) == 0;
    EXPECT_EQ(rejected, skipped);
    Scenario(json::object());  // the host lets go of what it holds
}
