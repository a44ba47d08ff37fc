// One invariant under every single fault the host can inject into an import:
// each order file ends either byte-identical in the archive and gone from the
// drop directory, or still in the drop directory, unchanged and named to the user.
#include "intake/directory_scan.h"

#include "support/host_fixture.h"
#include "support/intake_support.h"

namespace fs = std::filesystem;

namespace {

std::string Filler(size_t size) {
    std::string bytes(size, 'a');
    for (size_t i = 0; i < size; ++i) bytes[i] = (i % 80 == 79) ? '\n' : static_cast<char>('a' + i % 26);
    return bytes;
}

const std::vector<std::pair<std::string, std::string>>& OrderFiles() {
    static const std::vector<std::pair<std::string, std::string>> files = {
        {"a.txt", "[Naglowek]\r\nNumer=1\r\n[Poz1]\r\nSymbol=A1\r\nIlosc=1\r\n[Poz2]\r\nSymbol=A2\r\nIlosc=2\r\n"},
        // Two blocks of the archive copy.
        {"b.txt", "[Poz1]\nSymbol=B1\nIlosc=1\n[Koniec]\n" + Filler(300000)},
        {"c.txt", ""},
        {"d.txt", "[Poz1]\nSymbol=D1\n[Poz2]\nSymbol=D2\n[Poz3]\nSymbol=D3\n"},
    };
    return files;
}

class ImportFaults : public HostFixture {
protected:
    void TearDown() override {
        HostFixture::TearDown();
        Scenario(json::object());
    }

    // One import under a scenario; the failures of the invariant, or empty.
    std::string ImportUnder(const json& scenario, int* leftInPlace = nullptr) {
        Scenario(scenario);
        ScratchDirectory scratch("faults_tmp");
        const fs::path drop = scratch.path() / "drop", archive = scratch.path() / "drop_arch";
        fs::create_directories(drop);
        for (const auto& [name, bytes] : OrderFiles()) WriteBytes(drop / name, bytes);
        {
            ImportObject import;
            import.SetDirectory("faults_tmp\\drop");
            import->ScanOrderDirectory();
            if (import->openFile != nullptr) return "an order file is still open";
        }
        std::string messages;
        for (const json& m : Events("message")) messages += MessageText(m) + "\n";

        std::string failures;
        for (const auto& [name, bytes] : OrderFiles()) {
            const bool inDrop = fs::exists(drop / name);
            if (inDrop) {
                if (leftInPlace != nullptr) ++*leftInPlace;
                if (ReadBytes(drop / name) != bytes) failures += name + " changed in the drop directory; ";
                if (messages.find("faults_tmp\\drop\\" + name) == std::string::npos)
                    failures += name + " stayed without a message naming it; ";
            } else if (!fs::exists(archive / name) || ReadBytes(archive / name) != bytes) {
                failures += name + " is gone without a whole archive copy; ";
            }
        }
        if (KorpusViolationCount() != 0) failures += "violations: " + Events("violation").dump() + "; ";
        if (KorpusLiveBlocks() != 0) failures += "host memory left allocated; ";
        Scenario(json::object());  // the host lets go of files before they are cleaned up
        return failures;
    }
};

TEST_F(ImportFaults, EveryOrderFileIsArchivedWholeOrLeftInPlace) {
    // Without a fault every file moves.
    ASSERT_EQ(ImportUnder(json::object()), "");
    // How often the fault-free import calls each service.
    Scenario(json::object());
    struct Operation { const char* op; const char* service; };
    const Operation operations[] = {
        {"open", "HostOpenFile"}, {"read", "HostReadFile"}, {"read_line", "HostReadLine"},
        {"write", "HostWriteFile"}, {"seek", "HostSeekFile"}, {"tell", "HostTellFile"}, {"length", "HostFileLength"},
        {"close", "HostCloseFile"},
    };
    std::map<std::string, int> calls;
    {
        ScratchDirectory scratch("faults_tmp");
        fs::create_directories(scratch.path() / "drop");
        for (const auto& [name, bytes] : OrderFiles()) WriteBytes(scratch.path() / "drop" / name, bytes);
        ImportObject import;
        import.SetDirectory("faults_tmp\\drop");
        import->ScanOrderDirectory();
        for (const Operation& o : operations) calls[o.op] = KorpusCallCount(o.service);
        calls["break"] = KorpusCallCount("HostUserBreak");
        calls["allocation"] = KorpusCallCount("HostAlloc") + KorpusCallCount("HostRealloc");
    }
    Scenario(json::object());

    std::vector<json> scenarios;
    for (const Operation& o : operations) {
        ASSERT_GT(calls[o.op], 0) << o.op;
        for (int call = 1; call <= calls[o.op]; ++call)
            scenarios.push_back({{"file_faults", {{{"op", o.op}, {"call", call}}}}});
    }
    for (const auto& [name, bytes] : OrderFiles()) scenarios.push_back({{"file_faults", {{{"op", "remove"}, {"file", name}}}}});
    for (int n = 1; n <= calls["allocation"]; ++n) scenarios.push_back({{"memory", {{"refuse_nth", n}}}});
    scenarios.push_back({{"memory", {{"refuse_at_least", 1}}}});
    for (int n = 1; n <= calls["break"]; ++n) scenarios.push_back({{"user_break", {n}}});

    int leftInPlace = 0;
    for (const json& scenario : scenarios) {
        SCOPED_TRACE(scenario.dump());
        EXPECT_EQ(ImportUnder(scenario, &leftInPlace), "");
    }
    // The matrix did reach the paths that keep a file back.
    EXPECT_GT(leftInPlace, 10);
    std::cout << scenarios.size() << " faults injected\n";
}

}  // namespace
