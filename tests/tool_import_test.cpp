// zbieracz-host run and preview on the sample, as people run them: the
// program itself, the real plug-in DLL, the order files of four branches and
// a catalogue of three warehouses.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

namespace fs = std::filesystem;
using json = nlohmann::json;

namespace {

std::string Examples() { return ZB_EXAMPLES_DIR; }

// Runs zbieracz-host.exe beside the tests with the arguments; its exit status.
int RunProgram(const std::string& arguments) {
    std::string line = "zbieracz-host.exe " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(status);
}

json ReadJson(const fs::path& path) {
    std::ifstream in(path);
    return json::parse(in, nullptr, false);
}

std::vector<std::string> Names(const fs::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Each line of the document: code, warehouse, quantity in thousandths.
std::vector<std::string> DocumentLines(const json& result) {
    std::vector<std::string> lines;
    for (const json& line : result["document"]["lines"])
        lines.push_back(line["code"].get<std::string>() + " " + std::to_string(line["warehouse"].get<int>()) + " " +
                        std::to_string(line["quantity"].get<int>()));
    return lines;
}

const std::vector<std::string> SampleFiles = {"filia_gdansk.txt", "filia_krakow.txt", "filia_lodz.txt",
                                              "filia_poznan.txt"};
const std::vector<std::string> SampleDocument = {
    "KB-YDY-325 2 52500", "KL-310 1 6000",     "LT-4060 2 30000", "NK-M6 0 400000", "PD-6 0 500000",
    "PE-50 1 0",          "SR-M6-30 0 350000", "TI-19-Z 1 20000", "WK-4-40 0 12000",
};

}  // namespace

TEST(HostCommands, RunAndPreviewImportTheSampleOnlyRunTouchesTheDropDirectory) {
    const fs::path scratch = fs::current_path() / "tool_run_tmp";
    fs::remove_all(scratch);
    fs::create_directories(scratch / "host");
    fs::copy(fs::path(Examples()) / "zamowienia", scratch / "zam");
    const std::string catalogue = " --catalog " + Examples() + "/katalog.csv";

    ASSERT_EQ(RunProgram("preview --orders " + Examples() + "/zamowienia" + catalogue +
                         " --host-dir tool_run_tmp/host --json tool_run_tmp/preview.json"),
              0);
    const json preview = ReadJson(scratch / "preview.json");
    ASSERT_TRUE(preview.is_object());
    EXPECT_EQ(DocumentLines(preview), SampleDocument);
    EXPECT_EQ(Names(fs::path(Examples()) / "zamowienia"), SampleFiles);
    EXPECT_FALSE(fs::exists(fs::path(Examples()) / "zamowienia_arch"));
    EXPECT_FALSE(fs::exists(scratch / "host" / "Zbieracz.ini")) << "the copy's own host directory took the INI";

    ASSERT_EQ(RunProgram("run --orders tool_run_tmp/zam" + catalogue +
                         " --host-dir tool_run_tmp/host --json tool_run_tmp/run.json"),
              0);
    const json run = ReadJson(scratch / "run.json");
    ASSERT_TRUE(run.is_object());
    EXPECT_EQ(run["entries"]["load"], true);
    EXPECT_EQ(run["entries"]["30001"], 0);
    EXPECT_EQ(run["entries"]["30008"], 0);
    EXPECT_EQ(run["entries"]["unloaded"], true);
    EXPECT_EQ(run["document"]["created"], true);
    EXPECT_EQ(run["document"]["kind"], ".PZK");
    EXPECT_EQ(run["document"]["note"], "Zbiorczo z filii");
    EXPECT_EQ(DocumentLines(run), SampleDocument);
    EXPECT_EQ(run["drop"], json::array());
    EXPECT_EQ(run["archive"], json(SampleFiles));
    EXPECT_EQ(Names(scratch / "zam_arch"), SampleFiles);
    EXPECT_EQ(run["violations"], 0);
    bool counted = false;
    for (const json& message : run["messages"])
        counted = counted || message["text"] == "Zidentyfikowano 9 pozycji z 10 wczytanych z plików!";
    EXPECT_TRUE(counted) << run["messages"].dump(1);
    EXPECT_TRUE(fs::exists(scratch / "host" / "Zbieracz.ini"));
    fs::remove_all(scratch);
}
