// The notice at activation and the "Pytaj" key that silences it.
#include <windows.h>

#include <fstream>
#include <string>

#include "settings/first_run_notice.h"
#include "support/host_fixture.h"

namespace {

class FirstRunNotice : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        char directory[MAX_PATH];
        GetTempPathA(sizeof directory, directory);
        hostDir_ = std::string(directory) + "zbieracz-first-run";
        CreateDirectoryA(hostDir_.c_str(), nullptr);
        DeleteFileA((hostDir_ + "\\Zbieracz.ini").c_str());
    }
    void WithIni(const char* content, const json& dialogFlags) {
        if (content != nullptr) std::ofstream(hostDir_ + "\\Zbieracz.ini", std::ios::binary) << content;
        Scenario({{"host_dir", hostDir_}, {"answers", {{"std_dialog_flag", dialogFlags}}}});
    }
    std::string hostDir_;
};

TEST_F(FirstRunNotice, PytajDecidesWhetherTheNoticeComes) {
    struct Case {
        const char* what;
        const char* ini;  // null: no INI file
        json dialogFlags;
        bool shown;
        const char* written;  // null: nothing written
    } cases[] = {
        {"no INI file, dialog leaves the flag", nullptr, json::array(), true, "0"},
        {"Pytaj=1", "[Zbieracz]\r\nPytaj=1\r\n", json::array(), false, nullptr},
        {"Pytaj=0", "[Zbieracz]\r\nPytaj=0\r\n", json::array(), true, "0"},
        {"Pytaj=65536, low half zero", "[Zbieracz]\r\nPytaj=65536\r\n", json::array(), true, "0"},
        {"unreadable value", "[Zbieracz]\r\nPytaj=tak\r\n", json::array(), true, "0"},
        {"dialog leaves 0xFFFF", nullptr, json::array({0xFFFF}), true, "-1"},
        {"dialog leaves 1", "[Zbieracz]\r\nPytaj=0\r\n", json::array({1}), true, "1"},
    };
    for (const Case& c : cases) {
        DeleteFileA((hostDir_ + "\\Zbieracz.ini").c_str());
        WithIni(c.ini, c.dialogFlags);
        EXPECT_EQ(ShowFirstRunNotice(), 0) << c.what;

        const json dialogs = Events("std_dialog");
        ASSERT_EQ(dialogs.size(), c.shown ? 1u : 0u) << c.what;
        if (c.shown) {
            EXPECT_EQ(dialogs[0]["number"], 1668) << c.what;
            EXPECT_EQ(dialogs[0]["reserved"], 0) << c.what;
            EXPECT_EQ(dialogs[0]["flag_before"], 0) << c.what;
            EXPECT_EQ(dialogs[0]["text"], "Zainstalowano wtyczkę do programu:\nScalacz") << c.what;
        }
        const json writes = Events("profile_write");
        ASSERT_EQ(writes.size(), c.written != nullptr ? 1u : 0u) << c.what;
        if (c.written != nullptr) {
            EXPECT_EQ(writes[0]["file"], "Zbieracz.ini") << c.what;
            EXPECT_EQ(writes[0]["section"], "Zbieracz") << c.what;
            EXPECT_EQ(writes[0]["key"], "Pytaj") << c.what;
            EXPECT_EQ(writes[0]["value"], c.written) << c.what;
        }
    }
}

TEST_F(FirstRunNotice, StaysAwayOnceTheDialogLeftAFlag) {
    WithIni(nullptr, json::array({0xFFFF}));
    ShowFirstRunNotice();
    ShowFirstRunNotice();
    EXPECT_EQ(Events("std_dialog").size(), 1u);
    EXPECT_EQ(Events("profile_write").size(), 1u);
}

}  // namespace
