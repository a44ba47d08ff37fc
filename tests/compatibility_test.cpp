// The handshake's compatibility check and the report of entry 30008.
#include <cstring>
#include <string>

#include "common/size_check.h"
#include "shell/compatibility.h"
#include "shell/plugin_module.h"
#include "support/host_fixture.h"

namespace {

class Compatibility : public HostFixture {
protected:
    // The list lives as long as the library; every test starts with it empty.
    void SetUp() override {
        HostFixture::SetUp();
        SizeCheckList = nullptr;
        std::strcpy(PluginModulePath, "C:\\Prog\\Wtyczki\\Modul.dll");
    }
    void TearDown() override {
        SizeCheckList = nullptr;
        HostFixture::TearDown();
    }
    json Report() {
        ShowCompatibilityReport();
        const json messages = Events("message");
        EXPECT_EQ(messages.size(), 1u);
        return messages.empty() ? json::object() : messages[0];
    }
};

const std::string Head =
    "Rozmiary rekordów niektórych tabel nie zgadzają się\n"
    "między programem a wtyczką \"Scalacz\":\n\n"
    "\x01tl18l33\x01TABELA\tWE WTYCZCE\tW PROGRAMIE\n";
std::string Tail(const std::string& file) {
    return "\nModuł wtyczki \x02" + file + "\x01\nNIE zostanie załadowany!";
}

TEST_F(Compatibility, OtherInterfaceLevelsRefuseWithoutLookingAtTables) {
    for (int level : {111, 113}) {
        Scenario({{"api_level", level}});
        EXPECT_EQ(CheckHostCompatibility(), -1) << level;
        EXPECT_TRUE(Events("get_table").empty()) << level;
        const json message = Report();
        EXPECT_EQ(message["service"], "HostMessageBoxF");
        EXPECT_EQ(message["title"], "STOP!!!");
        EXPECT_EQ(message["flags"], 0xC001);
        EXPECT_EQ(MessageText(message),
                  "Moduł \"Scalacz\" i program występują w różnych wersjach!\n\n"
                  "Został zakualizowany tylko program albo tylko moduł,\n"
                  "a nie oba jednocześnie! Aby naprawić tę sytuację\n"
                  "zainstaluj aktualizację programu wraz z modułem \"Scalacz\".\n\n"
                  "MODUŁ NIE ZOSTANIE ZAŁADOWANY!!!\n");
    }
}

TEST_F(Compatibility, HostThatFitsLeavesTheListEmpty) {
    EXPECT_EQ(CheckHostCompatibility(), 0);
    EXPECT_EQ(SizeCheckList, nullptr);
    std::vector<int> asked;
    for (const json& event : Events("get_table")) asked.push_back(event["table"]);
    EXPECT_EQ(asked, (std::vector<int>{52, 53, 35, 49}));
}

TEST_F(Compatibility, ReportListsEveryMismatchUnderItsHeadings) {
    struct Case {
        const char* what;
        json tables;
        const char* modulePath;
        std::string rows;
        std::string file;
    } cases[] = {
        {"one size differs", {{"53", {{"record_size", 630}}}}, "C:\\Prog\\Wtyczki\\Modul.dll",
         "\x01tp25p40\x01Tzak_dok\t626\t630\n", "Modul.dll"},
        {"a table is missing, path without backslash", {{"35", nullptr}}, "Modul.dll",
         "\x01tp25p40\x01k4\t966\tbrak\n", "Modul.dll"},
        {"a negative size, all tables checked", {{"52", {{"record_size", 0xFFFF}}}, {"49", {{"record_size", 1}}}},
         "D:\\Zbieracz.dll", "\x01tp25p40\x01Tzak\t901\t-1\n\x01tp25p40\x01k9\t1024\t1\n", "Zbieracz.dll"},
    };
    for (const Case& c : cases) {
        SizeCheckList = nullptr;
        Scenario({{"tables", c.tables}});
        std::strcpy(PluginModulePath, c.modulePath);
        EXPECT_EQ(CheckHostCompatibility(), -1) << c.what;
        const json message = Report();
        EXPECT_EQ(message["service"], "HostMessageBox") << c.what;
        EXPECT_EQ(message["title"], "STOP!!!") << c.what;
        EXPECT_EQ(message["flags"], 0xC001) << c.what;
        EXPECT_EQ(MessageText(message), Head + c.rows + Tail(c.file)) << c.what;
    }
}

TEST_F(Compatibility, RepeatedHandshakeKeepsTheNodesBehindAListedOne) {
    // k4 differs; then the Tzak hook's node is listed behind it.
    Scenario({{"tables", {{"35", {{"record_size", 900}}}}}});
    EXPECT_EQ(CheckHostCompatibility(), -1);
    static SizeCheck hookNode = {901, 0, "Tzak", nullptr};
    AddSizeMismatch(&hookNode);
    ASSERT_EQ(CountSizeMismatches(), 2);

    // The next handshake refills the k4 node, which is already listed.
    EXPECT_EQ(CheckHostCompatibility(), -1);
    EXPECT_EQ(CountSizeMismatches(), 2);
    EXPECT_EQ(MessageText(Report()),
              Head + "\x01tp25p40\x01k4\t966\t900\n\x01tp25p40\x01Tzak\t901\tbrak\n" + Tail("Modul.dll"));
}

}  // namespace
