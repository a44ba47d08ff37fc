#include "support/host_fixture.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <functional>

#include "shell/host_binding.h"
#include "shell/tzak_hook.h"

namespace {
// A fresh directory of the running test's own. The plug-in's import directory
// holds at most 100 characters, so the directories stay short wherever the
// build tree lies: C:\zbt\ and a hash of the test's name.
std::string FreshTestDirectory() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(test->test_suite_name()) + "." + test->name();
    char hash[16];
    std::snprintf(hash, sizeof hash, "%08zx", std::hash<std::string>{}(name));
    const std::filesystem::path dir = std::filesystem::path("C:\\zbt") / hash;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}
}  // namespace

void HostFixture::SetUp() {
    hostDir_ = FreshTestDirectory();
    Scenario(json::object());
    HMODULE korpus = GetModuleHandleA("KORPUS.dll");
    ASSERT_NE(korpus, nullptr);
    ASSERT_EQ(BindHostServicesFrom(korpus), 0);
}

void HostFixture::TearDown() {
    RemoveTzakHook();
    if (!expectViolations_) {
        EXPECT_EQ(KorpusViolationCount(), 0) << "contract violations:\n" << Events("violation").dump(1);
    }
}

void HostFixture::Scenario(const json& scenario) {
    json withDefaults = scenario;
    if (!withDefaults.contains("host_dir")) withDefaults["host_dir"] = hostDir_;
    ASSERT_EQ(KorpusReset(withDefaults.dump().c_str()), 0) << Transcript().dump(1);
}

json HostFixture::Transcript() const {
    const int length = KorpusTranscript(nullptr, 0);
    std::string text(length + 1, '\0');
    KorpusTranscript(text.data(), length + 1);
    text.resize(length);
    return json::parse(text);
}

json HostFixture::Events(const std::string& kind) const {
    json out = json::array();
    for (const json& event : Transcript())
        if (event["event"] == kind) out.push_back(event);
    return out;
}

int HostFixture::Fire(uint32_t eventCode, uint32_t documentType, bool* raised) {
    uint32_t arguments[11] = {eventCode, documentType};
    for (int i = 0; i < 9; ++i) arguments[2 + i] = Rest[i];
    int result = 0;
    const int exception = KorpusFireTzakEvent(arguments, &result);
    if (raised != nullptr) *raised = exception != 0;
    return result;
}

std::string MessageText(const json& event) { return event.value("text", ""); }
