// How zbieracz-host draws the host's dialogs, message boxes and documents.
#include <gtest/gtest.h>

#include "host_render.h"

using namespace tool;

namespace {

// A dialog template in the host's format, built field by field.
class TemplateBuilder {
public:
    TemplateBuilder& Word(int value) {
        bytes_ += static_cast<char>(value & 0xFF);
        bytes_ += static_cast<char>((value >> 8) & 0xFF);
        return *this;
    }
    TemplateBuilder& Zeros(int count) {
        bytes_.append(count, '\0');
        return *this;
    }
    TemplateBuilder& Text(const std::string& mazovia) {
        bytes_ += mazovia;
        bytes_ += '\0';
        return *this;
    }
    // kind, id, reserved, key, column, row, width, height, reserved 32-bit
    TemplateBuilder& Head(int kind, int id, int key, int column, int row, int width, int height) {
        return Word(kind).Word(id).Word(0).Word(key).Word(column).Word(row).Word(width).Word(height).Zeros(4);
    }
    std::string Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

// The directory prompt: 46 by 8, a label, the input field, OK and Anuluj.
std::string DirectoryPrompt() {
    TemplateBuilder t;
    t.Word(176).Word(0).Word(172).Word(4);
    t.Head(0xFFFF, 20065, 0, 0, 0, 46, 8).Text("Katalog");
    t.Head(3, 0x3C00, 0, 3, 2, 15, 1).Text("\x02" "F2\x01 Katalog");
    t.Word(5).Word(38).Word(5).Word(0x4104).Word(0x0400).Word(0).Word(3).Word(3).Word(40).Word(1).Zeros(12);
    t.Word(100).Word(8).Word(0).Word(100).Word(1).Zeros(1);
    t.Head(0, 0x5001, 0x5500, 8, 5, 12, 1).Text("\x01" "c\x01\x05" "F12\x01 OK");
    t.Head(0, 0x5002, 0x001B, 24, 5, 12, 1).Text("\x01" "c\x01\x05" "ESC\x01 Anuluj");
    return t.Bytes();
}

}  // namespace

TEST(HostRendering, DrawsTheDirectoryPromptFromItsTemplate) {
    const std::string bytes = DirectoryPrompt();
    ASSERT_EQ(bytes.size(), 180u);
    std::string error;
    nlohmann::json dialog = DescribeDialogTemplate(bytes, &error);
    ASSERT_TRUE(dialog.is_object()) << error;
    dialog["controls"][1]["text"] = "C:\\Zam\\Nowe";
    EXPECT_EQ(RenderDialog(dialog, false),
              "┌───────────────── Katalog ──────────────────┐\n"
              "│                                            │\n"
              "│  F2 Katalog                                │\n"
              "│  C:\\Zam\\Nowe_____________________________  │\n"
              "│                                            │\n"
              "│       [  F12 OK  ]    [ESC Anuluj]         │\n"
              "│                                            │\n"
              "└────────────────────────────────────────────┘\n");
    // On a terminal the key names are highlighted and the field is inverted.
    const std::string coloured = RenderDialog(dialog, true);
    EXPECT_NE(coloured.find("\x1b[1;33mF2\x1b[0m Katalog"), std::string::npos);
    EXPECT_NE(coloured.find("\x1b[1;36mF12\x1b[0m OK"), std::string::npos);
    EXPECT_NE(coloured.find("\x1b[7mC:\\Zam\\Nowe"), std::string::npos);
}

TEST(HostRendering, RefusesTemplatesItCannotRead) {
    std::string error;
    const std::string prompt = DirectoryPrompt();
    EXPECT_TRUE(DescribeDialogTemplate(prompt.substr(0, 112), &error).is_null());
    EXPECT_EQ(error, "the dialog template cannot be read: control 3 is missing");
    std::string unknown = prompt;
    unknown[112] = 9;  // the OK button's record kind
    EXPECT_TRUE(DescribeDialogTemplate(unknown, &error).is_null());
    EXPECT_EQ(error, "the dialog template cannot be read: control 3 has the unknown record kind 9");
}

TEST(HostRendering, PlacesTabbedTextAtTheStopsOfTheTabCommand) {
    // The head line and one row of the compatibility report.
    EXPECT_EQ(RenderMarkup("\x01tl18l33\x01TABELA\tWE WTYCZCE\tW PROGRAMIE\n"
                           "\x01tp25p40\x01Tzak_dok\t626\t630\n"
                           "\x01tp25p40\x01k4\t966\tbrak\n"
                           "a\tb",
                           false),
              (std::vector<std::string>{
                  "TABELA            WE WTYCZCE     W PROGRAMIE",
                  "Tzak_dok               626            630",
                  "k4                     966           brak",
                  "a       b",
              }));
}

TEST(HostRendering, HighlightsMarkedRunsOnlyInColour) {
    const std::string text = "Moduł wtyczki \x02Zbieracz.dll\x01\nNIE zostanie załadowany!";
    EXPECT_EQ(RenderMarkup(text, false),
              (std::vector<std::string>{"Moduł wtyczki Zbieracz.dll", "NIE zostanie załadowany!"}));
    EXPECT_EQ(RenderMarkup(text, true)[0], "Moduł wtyczki \x1b[1;33mZbieracz.dll\x1b[0m");
}

TEST(HostRendering, FramesAMessageBoxWithItsTitleAndButton) {
    EXPECT_EQ(RenderMessageBox("Uwaga", "Nie podano katalogu!", false),
              "┌─ Uwaga ──────────────┐\n"
              "│ Nie podano katalogu! │\n"
              "│                      │\n"
              "│        [ OK ]        │\n"
              "└──────────────────────┘\n");
    EXPECT_EQ(RenderMessageBox("", "Zbiorczo\n", false),
              "┌──────────┐\n"
              "│ Zbiorczo │\n"
              "│          │\n"
              "│  [ OK ]  │\n"
              "└──────────┘\n");
}

TEST(HostRendering, PrintsTheDocumentAsATableWithQuantitiesInUnits) {
    EXPECT_EQ(RenderDocumentTable({{"NK-M6", "Nakrętka M6", 102, 0, 400000},
                                   {"KB-YDY-325", "Kabel YDY 3x2,5", 301, 2, 52500},
                                   {"ZW", "Zwrot", 7, 12, -250}}),
              "code        name             goods id  warehouse  quantity\n"
              "----------  ---------------  --------  ---------  --------\n"
              "NK-M6       Nakrętka M6           102          0   400.000\n"
              "KB-YDY-325  Kabel YDY 3x2,5       301          2    52.500\n"
              "ZW          Zwrot                   7         12    -0.250\n");
}
