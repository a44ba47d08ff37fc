// Draws what a person at the host sees: message boxes with the host's markup,
// the dialog built from a dialog template, and the document as a table.
//
// Texts come in UTF-8 with the markup bytes kept as U+0001, U+0002 and U+0005
// (as the transcript holds them):
//   \x01 letters \x01    a formatting command: "c" centres a caption, "t"
//                        followed by stops ("l18", "p25") sets the tab stops
//                        of the rest of the line; an l stop starts the text
//                        after a tab at that column, a p stop ends it there
//                        (columns counted from 0 at the start of the line)
//   \x02 ... \x01        a highlighted run (key names in labels, file names)
//   \x05 ... \x01        a highlighted run in a button caption (key names)
// Colour is an option: without it the markup only shapes the text.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace tool {

// One host text, markup applied: one string per line.
std::vector<std::string> RenderMarkup(const std::string& text, bool colour);

// A message box: a frame with the title, the text and its OK button.
std::string RenderMessageBox(const std::string& title, const std::string& text, bool colour);

// A dialog as the reference host describes it when it shows one: {"title",
// "width", "height", "controls": [{"kind": "label" | "button" | "field",
// "column", "row", "width", "height", "text"}]}, texts in UTF-8 with markup.
// The field shows its "text".
std::string RenderDialog(const nlohmann::json& dialog, bool colour);

// The description of the dialog a template holds (the host's template
// format, texts in Mazovia); null with *error set when it cannot be read.
nlohmann::json DescribeDialogTemplate(const std::string& templateBytes, std::string* error);

struct DocumentRow {
    std::string code;      // UTF-8
    std::string name;      // UTF-8
    int goodsId = 0;
    int warehouse = 0;
    long long thousandths = 0;
};

// The document's lines as a table: code, name, goods id, warehouse, quantity.
std::string RenderDocumentTable(const std::vector<DocumentRow>& rows);

// A quantity in thousandths as units with three decimals: 2500 -> "2.500".
std::string FormatThousandths(long long thousandths);

}  // namespace tool
