#include "settings/directory_setting.h"

#include <cstring>

#include "support/host_fixture.h"
#include "support/intake_support.h"

namespace fs = std::filesystem;

namespace {

class DirectoryPrompt : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        scratch_ = std::make_unique<ScratchDirectory>("prompt_tmp");
        Reset(json::object());
    }
    void TearDown() override {
        HostFixture::TearDown();
        scratch_.reset();
    }
    // A fresh host whose INI files live in the scratch directory.
    void Reset(json scenario) {
        scenario["host_dir"] = scratch_->path().string();
        Scenario(scenario);
    }
    fs::path Ini() const { return scratch_->path() / "Zbieracz.ini"; }

    std::unique_ptr<ScratchDirectory> scratch_;
};

struct PromptCase {
    const char* name;
    const char* ini;      // the INI file's text, or null for none
    json answer;          // how the dialog is closed
    int result;
    std::string shown;    // the field's text when the dialog opens (UTF-8)
    std::string field;    // the directory field afterwards
    const char* written;  // the value written under "Katalog", or null for no write
    const char* message;  // the message shown, or null
};

TEST_F(DirectoryPrompt, LoadsPromptsAndStoresTheDirectory) {
    const std::string hundred(100, 'k');
    const std::string longValue = "Katalog=" + std::string(150, 'k') + "\r\n";
    const PromptCase cases[] = {
        {"no INI file, an empty field accepted", nullptr, {{"key", "F12"}}, 1, "", "", nullptr,
         "Uwaga|Nie podano katalogu!"},
        {"a stored directory with doubled backslashes", "[Zbieracz]\r\nKatalog=C:\\\\Zam\\\\Nowe\r\n",
         {{"key", "F12"}}, 0, "C:\\Zam\\Nowe", "C:\\Zam\\Nowe", "C:\\\\Zam\\\\Nowe", nullptr},
        {"single backslashes written by hand are lost", "[Zbieracz]\r\nKatalog=C:\\Zam\r\n", {{"key", "ESC"}}, 1,
         "C:Zam", "C:Zam", nullptr, nullptr},
        {"a backslash and n is a line feed", "[Zbieracz]\r\nKatalog=C:\\new\r\n", {{"key", "ESC"}}, 1, "C:\new",
         "C:\new", nullptr, nullptr},
        {"a long stored value fills the field with its first 100 characters",
         nullptr, {{"key", "ESC"}}, 1, hundred, hundred, nullptr, nullptr},
        {"a single blank is a directory", nullptr, {{"key", "F12"}, {"text", " "}}, 0, "", " ", " ", nullptr},
        {"a typed directory is escaped", nullptr, {{"key", "F12"}, {"text", "D:\\a\"b\nc"}}, 0, "", "D:\\a\"b\nc",
         "D:\\\\a\\\"b\\nc", nullptr},
        {"an unchanged directory is written again", "[Zbieracz]\r\nKatalog=C:\\\\Zam\r\n", {{"key", "F12"}}, 0,
         "C:\\Zam", "C:\\Zam", "C:\\\\Zam", nullptr},
        {"ESC writes nothing", "[Zbieracz]\r\nKatalog=C:\\\\Zam\r\n", {{"key", "ESC"}, {"text", "X:\\inny"}}, 1,
         "C:\\Zam", "X:\\inny", nullptr, nullptr},
        {"any other way of closing writes nothing", nullptr, {{"result", 0}, {"text", "X:\\inny"}}, 1, "",
         "X:\\inny", nullptr, nullptr},
        {"a result whose low 16 bits are OK counts as OK", nullptr, {{"result", 0x15001}, {"text", "E:\\z"}}, 0, "",
         "E:\\z", "E:\\\\z", nullptr},
    };
    for (const PromptCase& test : cases) {
        SCOPED_TRACE(test.name);
        fs::remove(Ini());
        if (test.ini != nullptr) WriteBytes(Ini(), test.ini);
        if (std::string(test.name).find("long stored") != std::string::npos)
            WriteBytes(Ini(), "[Zbieracz]\r\n" + longValue);
        Reset({{"answers", {{"dialog", {test.answer}}}}});
        ImportObject import;
        std::memset(import->directory, 'Z', sizeof import->directory);  // the prompt fills it
        EXPECT_EQ(import->AskImportDirectory(), test.result);
        EXPECT_EQ(std::string(import->directory), test.field);
        const json dialogs = Events("dialog");
        ASSERT_EQ(dialogs.size(), 1u);
        EXPECT_EQ(dialogs[0]["controls"][1]["text"], test.shown);
        const json writes = Events("profile_write");
        if (test.written == nullptr) {
            EXPECT_TRUE(writes.empty()) << writes.dump();
        } else {
            ASSERT_EQ(writes.size(), 1u);
            EXPECT_EQ(writes[0]["key"], "Katalog");
            EXPECT_EQ(writes[0]["section"], "Zbieracz");
            EXPECT_EQ(writes[0]["value"], test.written);
        }
        const json messages = Events("message");
        if (test.message == nullptr) {
            EXPECT_TRUE(messages.empty());
        } else {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0]["title"].get<std::string>() + "|" + MessageText(messages[0]), test.message);
            EXPECT_EQ(messages[0]["flags"], 1);
        }
    }
}

TEST_F(DirectoryPrompt, AStoredDirectoryIsReadBackUnchangedByTheNextImport) {
    const std::string directory = "C:\\Zam \"x\"\\Nowe";
    Reset({{"answers", {{"dialog", {{{"key", "F12"}, {"text", directory}}, {{"key", "ESC"}}}}}}});
    {
        ImportObject first;
        first->directory[0] = 0;
        EXPECT_EQ(first->AskImportDirectory(), 0);
    }
    ImportObject second;
    EXPECT_EQ(second->AskImportDirectory(), 1);
    EXPECT_EQ(std::string(second->directory), directory);
}

TEST_F(DirectoryPrompt, EscapingAndDecodingFollowTheTable) {
    struct Escape { const char* text; const char* stored; };
    const Escape both[] = {
        {"C:\\Zam\\Nowe", "C:\\\\Zam\\\\Nowe"}, {"a\nb", "a\\nb"}, {"say \"hi\"", "say \\\"hi\\\""},
        {"cr\r", "cr\r"}, {"", ""}, {"\\n", "\\\\n"},
    };
    for (const Escape& test : both) {
        SCOPED_TRACE(test.text);
        char out[64];
        EXPECT_STREQ(EscapeProfileText(out, test.text), test.stored);
        char decoded[64];
        std::strcpy(decoded, test.stored);
        EXPECT_STREQ(UnescapeProfileText(decoded), test.text);
    }
    const Escape decodeOnly[] = {
        {"C:\\Zam", "C:Zam"}, {"C:\\new", "C:\new"}, {"end\\", "end"}, {"\\x\\", "x"}, {"\\\\\\", "\\"},
    };
    for (const Escape& test : decodeOnly) {
        SCOPED_TRACE(test.text);
        char text[64];
        std::strcpy(text, test.text);
        EXPECT_STREQ(UnescapeProfileText(text), test.stored);
    }
}

// The template's bytes, written out from the host's format field by field.
std::string ExpectedTemplate() {
    std::string t;
    const auto u16 = [&](unsigned v) { t += static_cast<char>(v & 0xFF); t += static_cast<char>(v >> 8); };
    const auto u32 = [&](unsigned v) { u16(v & 0xFFFF); u16(v >> 16); };
    const auto text = [&](const std::string& s) { t += s; t += '\0'; };
    const auto head = [&](unsigned kind, unsigned id, unsigned key, unsigned col, unsigned row, unsigned w, unsigned h) {
        u16(kind); u16(id); u16(0); u16(key); u16(col); u16(row); u16(w); u16(h); u32(0);
    };
    u32(176); u16(172); u16(4);
    head(0xFFFF, 20065, 0, 0, 0, 46, 8); text("Katalog");
    head(3, 0x3C00, 0, 3, 2, 15, 1); text("\x02" "F2\x01 Katalog");
    for (unsigned v : {5u, 38u, 5u, 0x4104u, 0x0400u, 0u, 3u, 3u, 40u, 1u}) u16(v);
    t += std::string(12, '\0');
    for (unsigned v : {100u, 8u, 0u, 100u, 1u}) u16(v);
    t += '\0';
    head(0, 0x5001, 0x5500, 8, 5, 12, 1); text("\x01" "c\x01\x05" "F12\x01 OK");
    head(0, 0x5002, 0x001B, 24, 5, 12, 1); text("\x01" "c\x01\x05" "ESC\x01 Anuluj");
    return t;
}

TEST_F(DirectoryPrompt, TheTemplateHasTheHostsBytesAndDrawsTheDialog) {
    const std::string expected = ExpectedTemplate();
    ASSERT_EQ(expected.size(), 180u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&DirectoryPromptTemplate), sizeof DirectoryPromptTemplate),
              expected);

    Reset({{"answers", {{"dialog", {{{"key", "ESC"}}}}}}});
    ImportObject import;
    import->AskImportDirectory();
    const json dialogs = Events("dialog");
    ASSERT_EQ(dialogs.size(), 1u);
    const json expectedDialog = json::parse(R"({
        "event": "dialog", "id": 20065, "title": "Katalog", "column": 0, "row": 0, "width": 46, "height": 8,
        "controls": [
          {"kind": "label", "text": "\u0002F2\u0001 Katalog", "key": "F2", "column": 3, "row": 2, "width": 15, "height": 1},
          {"kind": "field", "text": "", "limit": 100, "column": 3, "row": 3, "width": 40, "height": 1},
          {"kind": "button", "id": 20481, "key": "F12", "text": "\u0001c\u0001\u0005F12\u0001 OK", "column": 8, "row": 5, "width": 12, "height": 1},
          {"kind": "button", "id": 20482, "key": "ESC", "text": "\u0001c\u0001\u0005ESC\u0001 Anuluj", "column": 24, "row": 5, "width": 12, "height": 1}
        ],
        "result": 20482, "field_after": ""})");
    EXPECT_EQ(dialogs[0], expectedDialog);
}

TEST_F(DirectoryPrompt, TheHostRefusesAMalformedTemplate) {
    struct Corruption { const char* name; size_t offset; std::string bytes; const char* fault; };
    const Corruption cases[] = {
        {"second length", 4, std::string("\xAB\x00", 2), "second length"},
        {"unknown record kind", 112, std::string("\x07\x00", 2), "record kind 7"},
        {"caption not terminated", 179, "!", "not terminated"},
        {"control outside the dialog", 120, std::string("\x28\x00", 2), "outside the dialog"},
        {"reserved field set", 12, std::string("\x01\x00", 2), "reserved fields"},
    };
    expectViolations_ = true;
    for (const Corruption& test : cases) {
        SCOPED_TRACE(test.name);
        Reset(json::object());
        std::string bytes(reinterpret_cast<const char*>(&DirectoryPromptTemplate), sizeof DirectoryPromptTemplate);
        bytes.replace(test.offset, test.bytes.size(), test.bytes);
        ImportObject import;
        import->directory[0] = 0;
        EXPECT_EQ(HostDialogExecute(import.get(), bytes.data(), DirectoryPromptId, import->directory, 0), 0x5002);
        const json violations = Events("violation");
        ASSERT_EQ(violations.size(), 1u) << violations.dump();
        EXPECT_NE(violations[0]["what"].get<std::string>().find(test.fault), std::string::npos) << violations.dump();
        EXPECT_TRUE(Events("dialog").empty());
    }
}

}  // namespace
