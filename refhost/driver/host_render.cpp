#include "host_render.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "text_encoding.h"

namespace tool {

namespace {

enum class Style : uint8_t { Plain, Key, CaptionKey, Field, Title };

struct Cell {
    std::string glyph;  // one UTF-8 character
    Style style = Style::Plain;
};
using Cells = std::vector<Cell>;

const char* Escape(Style style) {
    switch (style) {
        case Style::Key: return "\x1b[1;33m";
        case Style::CaptionKey: return "\x1b[1;36m";
        case Style::Field: return "\x1b[7m";
        case Style::Title: return "\x1b[1m";
        default: return "";
    }
}

std::string Serialise(const Cells& cells, bool colour) {
    std::string out;
    Style current = Style::Plain;
    for (const Cell& cell : cells) {
        if (colour && cell.style != current) {
            if (current != Style::Plain) out += "\x1b[0m";
            out += Escape(cell.style);
            current = cell.style;
        }
        out += cell.glyph;
    }
    if (colour && current != Style::Plain) out += "\x1b[0m";
    return out;
}

Cells PlainCells(const std::string& utf8, Style style = Style::Plain) {
    Cells cells;
    for (size_t i = 0; i < utf8.size();) {
        size_t n = 1;
        while (i + n < utf8.size() && (static_cast<unsigned char>(utf8[i + n]) & 0xC0) == 0x80) ++n;
        cells.push_back({utf8.substr(i, n), style});
        i += n;
    }
    return cells;
}

void Pad(Cells& cells, size_t width, const char* glyph = " ", Style style = Style::Plain) {
    while (cells.size() < width) cells.push_back({glyph, style});
}

struct TabStop {
    char kind;   // 'l' or 'p'
    int column;
};

std::vector<TabStop> ParseStops(const std::string& command) {
    std::vector<TabStop> stops;
    for (size_t i = 1; i < command.size();) {
        const char kind = command[i++];
        int column = 0;
        bool digits = false;
        while (i < command.size() && command[i] >= '0' && command[i] <= '9') {
            column = column * 10 + (command[i++] - '0');
            digits = true;
        }
        if (digits) stops.push_back({kind, column});
    }
    return stops;
}

struct MarkupLine {
    Cells cells;
    bool centred = false;
};

// One line of text (no line feed), markup applied.
MarkupLine RenderLine(const std::string& line) {
    // The line falls into segments at its tabs; each segment after a tab is
    // placed by the stop of its number.
    std::vector<Cells> segments(1);
    std::vector<TabStop> stops;
    Style highlight = Style::Plain;
    MarkupLine out;
    for (size_t i = 0; i < line.size();) {
        const char c = line[i];
        if (c == '\x01') {
            ++i;
            if (highlight != Style::Plain) {
                highlight = Style::Plain;
                continue;
            }
            const size_t end = line.find('\x01', i);
            const std::string command = line.substr(i, end == std::string::npos ? std::string::npos : end - i);
            i = end == std::string::npos ? line.size() : end + 1;
            if (!command.empty() && command[0] == 't') stops = ParseStops(command);
            if (command == "c") out.centred = true;
        } else if (c == '\x02' || c == '\x05') {
            highlight = c == '\x02' ? Style::Key : Style::CaptionKey;
            ++i;
        } else if (c == '\t') {
            segments.emplace_back();
            ++i;
        } else {
            size_t n = 1;
            while (i + n < line.size() && (static_cast<unsigned char>(line[i + n]) & 0xC0) == 0x80) ++n;
            segments.back().push_back({line.substr(i, n), highlight});
            i += n;
        }
    }
    out.cells = segments[0];
    for (size_t k = 1; k < segments.size(); ++k) {
        const Cells& segment = segments[k];
        size_t start;
        if (k - 1 < stops.size()) {
            const TabStop stop = stops[k - 1];
            start = stop.kind == 'p' && static_cast<size_t>(stop.column + 1) >= segment.size()
                        ? stop.column + 1 - segment.size()
                        : static_cast<size_t>(stop.column);
        } else {
            start = (out.cells.size() / 8 + 1) * 8;
        }
        // Text never overlaps: a stop already passed leaves one blank.
        if (start <= out.cells.size()) start = out.cells.size() + (out.cells.empty() ? 0 : 1);
        Pad(out.cells, start);
        out.cells.insert(out.cells.end(), segment.begin(), segment.end());
    }
    return out;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return lines;
        start = end + 1;
    }
}

// --- the host's dialog template ---------------------------------------------

class TemplateReader {
public:
    explicit TemplateReader(const std::string& bytes) : bytes_(bytes) {}
    bool Word(size_t at, int* value) const {
        if (at + 2 > bytes_.size()) return false;
        *value = static_cast<unsigned char>(bytes_[at]) | static_cast<unsigned char>(bytes_[at + 1]) << 8;
        return true;
    }
    bool Text(size_t at, std::string* text, size_t* next) const {
        const size_t end = bytes_.find('\0', at);
        if (at > bytes_.size() || end == std::string::npos) return false;
        *text = Utf8FromMazovia(bytes_.substr(at, end - at));
        *next = end + 1;
        return true;
    }
    size_t Size() const { return bytes_.size(); }

private:
    const std::string& bytes_;
};

struct Box {
    int column = 0, row = 0, width = 0, height = 0;
};

// Record head of the dialog, labels and buttons: kind, id, reserved, key,
// column, row, width, height (16-bit each), then a reserved 32-bit zero.
constexpr size_t RecordHeadSize = 20;
// The input-field record: its position at bytes 12 to 19.
constexpr size_t InputFieldRecordSize = 43;
constexpr size_t InputFieldBoxOffset = 12;

enum TemplateRecordKind { ButtonRecord = 0, LabelRecord = 3, InputFieldRecord = 5, DialogRecord = 0xFFFF };

bool ReadBox(const TemplateReader& reader, size_t at, Box* box) {
    return reader.Word(at, &box->column) && reader.Word(at + 2, &box->row) && reader.Word(at + 4, &box->width) &&
           reader.Word(at + 6, &box->height);
}

void Place(std::vector<Cells>& grid, int row, int column, const Cells& cells, int width) {
    if (row < 0 || row >= static_cast<int>(grid.size())) return;
    for (int k = 0; k < width && k < static_cast<int>(cells.size()); ++k) {
        const int at = column + k;
        if (at > 0 && at < static_cast<int>(grid[row].size()) - 1) grid[row][at] = cells[k];
    }
}

Cells Centred(const MarkupLine& line, int width) {
    Cells cells;
    const int left = width > static_cast<int>(line.cells.size()) ? (width - static_cast<int>(line.cells.size())) / 2 : 0;
    Pad(cells, left);
    cells.insert(cells.end(), line.cells.begin(), line.cells.end());
    Pad(cells, width);
    return cells;
}

}  // namespace

std::vector<std::string> RenderMarkup(const std::string& text, bool colour) {
    std::vector<std::string> lines;
    for (const std::string& line : SplitLines(text)) lines.push_back(Serialise(RenderLine(line).cells, colour));
    return lines;
}

std::string RenderMessageBox(const std::string& title, const std::string& text, bool colour) {
    std::vector<MarkupLine> lines;
    for (const std::string& line : SplitLines(text)) lines.push_back(RenderLine(line));
    while (lines.size() > 1 && lines.back().cells.empty()) lines.pop_back();
    const std::string button = "[ OK ]";
    size_t width = static_cast<size_t>(Utf8Width(title)) + 2;
    if (width < button.size()) width = button.size();
    for (const MarkupLine& line : lines)
        if (line.cells.size() > width) width = line.cells.size();

    std::string out;
    Cells top = PlainCells("┌─");
    if (!title.empty()) {
        Cells named = PlainCells(" " + title + " ", Style::Title);
        top.insert(top.end(), named.begin(), named.end());
    }
    Pad(top, width + 3, "─");
    top.push_back({"┐"});
    out += Serialise(top, colour) + "\n";
    auto row = [&](const Cells& content) {
        Cells cells = PlainCells("│ ");
        cells.insert(cells.end(), content.begin(), content.end());
        Pad(cells, width + 3);
        cells.push_back({"│"});
        out += Serialise(cells, colour) + "\n";
    };
    for (const MarkupLine& line : lines) row(line.centred ? Centred(line, static_cast<int>(width)) : line.cells);
    row({});
    row(Centred(MarkupLine{PlainCells(button), true}, static_cast<int>(width)));
    Cells bottom = PlainCells("└");
    Pad(bottom, width + 3, "─");
    bottom.push_back({"┘"});
    out += Serialise(bottom, colour) + "\n";
    return out;
}

nlohmann::json DescribeDialogTemplate(const std::string& templateBytes, std::string* error) {
    const TemplateReader reader(templateBytes);
    auto fail = [&](const std::string& why) {
        *error = "the dialog template cannot be read: " + why;
        return nlohmann::json();
    };
    int kind = 0, controls = 0;
    Box dialog;
    if (!reader.Word(6, &controls) || !reader.Word(8, &kind) || kind != DialogRecord)
        return fail("no dialog record at byte 8");
    if (!ReadBox(reader, 16, &dialog)) return fail("the dialog's size is cut short");
    std::string title;
    size_t at = 0;
    if (!reader.Text(8 + RecordHeadSize, &title, &at)) return fail("the title is not terminated");
    nlohmann::json described = {{"title", title}, {"width", dialog.width}, {"height", dialog.height},
                                {"controls", nlohmann::json::array()}};
    for (int control = 0; control < controls; ++control) {
        Box box;
        if (!reader.Word(at, &kind)) return fail("control " + std::to_string(control + 1) + " is missing");
        nlohmann::json shown;
        if (kind == InputFieldRecord) {
            if (!ReadBox(reader, at + InputFieldBoxOffset, &box) || at + InputFieldRecordSize > reader.Size())
                return fail("the input field's record is cut short");
            shown["kind"] = "field";
            at += InputFieldRecordSize;
        } else if (kind == LabelRecord || kind == ButtonRecord) {
            std::string caption;
            if (!ReadBox(reader, at + 8, &box) || !reader.Text(at + RecordHeadSize, &caption, &at))
                return fail("control " + std::to_string(control + 1) + " is cut short");
            shown = {{"kind", kind == LabelRecord ? "label" : "button"}, {"text", caption}};
        } else {
            return fail("control " + std::to_string(control + 1) + " has the unknown record kind " +
                        std::to_string(kind));
        }
        shown["column"] = box.column;
        shown["row"] = box.row;
        shown["width"] = box.width;
        shown["height"] = box.height;
        described["controls"].push_back(shown);
    }
    return described;
}

std::string RenderDialog(const nlohmann::json& dialog, bool colour) {
    const int width = dialog.value("width", 0), height = dialog.value("height", 0);
    if (width < 4 || height < 3 || width > 200 || height > 60)
        return "(a dialog of " + std::to_string(width) + " by " + std::to_string(height) + " cannot be drawn)\n";
    std::vector<Cells> grid(height, Cells(width, Cell{" "}));
    for (int column = 0; column < width; ++column) {
        grid.front()[column] = {"─"};
        grid.back()[column] = {"─"};
    }
    for (int row = 0; row < height; ++row) {
        grid[row].front() = {"│"};
        grid[row].back() = {"│"};
    }
    grid.front().front() = {"┌"};
    grid.front().back() = {"┐"};
    grid.back().front() = {"└"};
    grid.back().back() = {"┘"};
    const Cells named = PlainCells(" " + dialog.value("title", std::string()) + " ", Style::Title);
    const int titleAt = (width - static_cast<int>(named.size())) / 2;
    for (size_t k = 0; k < named.size(); ++k)
        if (titleAt + static_cast<int>(k) > 0 && titleAt + static_cast<int>(k) < width - 1)
            grid.front()[titleAt + k] = named[k];

    for (const nlohmann::json& control : dialog.value("controls", nlohmann::json::array())) {
        const std::string kind = control.value("kind", "");
        const int column = control.value("column", 0), row = control.value("row", 0);
        const int boxWidth = control.value("width", 0);
        if (kind == "field") {
            Cells field = PlainCells(control.value("text", std::string()), Style::Field);
            if (static_cast<int>(field.size()) > boxWidth) field.resize(boxWidth);
            Pad(field, boxWidth, colour ? " " : "_", Style::Field);
            Place(grid, row, column, field, boxWidth);
            continue;
        }
        const MarkupLine line = RenderLine(control.value("text", std::string()));
        if (kind == "button") {
            Cells button = PlainCells("[");
            const Cells inner = line.centred ? Centred(line, boxWidth - 2) : line.cells;
            button.insert(button.end(), inner.begin(), inner.end());
            Pad(button, boxWidth - 1);
            button.resize(boxWidth > 1 ? boxWidth - 1 : 0);
            button.push_back({"]"});
            Place(grid, row, column, button, boxWidth);
        } else {
            Place(grid, row, column, line.centred ? Centred(line, boxWidth) : line.cells, boxWidth);
        }
    }
    std::string out;
    for (const Cells& row : grid) out += Serialise(row, colour) + "\n";
    return out;
}

std::string FormatThousandths(long long thousandths) {
    char text[48];
    const unsigned long long magnitude =
        thousandths < 0 ? 0ULL - static_cast<unsigned long long>(thousandths) : thousandths;
    std::snprintf(text, sizeof text, "%s%llu.%03llu", thousandths < 0 ? "-" : "", magnitude / 1000, magnitude % 1000);
    return text;
}

std::string RenderDocumentTable(const std::vector<DocumentRow>& rows) {
    const std::vector<std::string> heads = {"code", "name", "goods id", "warehouse", "quantity"};
    std::vector<std::vector<std::string>> table;
    for (const DocumentRow& row : rows)
        table.push_back({row.code, row.name, std::to_string(row.goodsId), std::to_string(row.warehouse),
                         FormatThousandths(row.thousandths)});
    std::vector<int> widths;
    for (const std::string& head : heads) widths.push_back(Utf8Width(head));
    for (const auto& cells : table)
        for (size_t k = 0; k < cells.size(); ++k)
            if (Utf8Width(cells[k]) > widths[k]) widths[k] = Utf8Width(cells[k]);
    // Names and codes read from the left, numbers from the right.
    auto line = [&](const std::vector<std::string>& cells) {
        std::string out;
        for (size_t k = 0; k < cells.size(); ++k) {
            const std::string pad(widths[k] - Utf8Width(cells[k]), ' ');
            out += k < 2 ? cells[k] + pad : pad + cells[k];
            out += k + 1 < cells.size() ? "  " : "";
        }
        while (!out.empty() && out.back() == ' ') out.pop_back();
        return out + "\n";
    };
    std::string out = line(heads);
    std::string rule;
    for (size_t k = 0; k < widths.size(); ++k) rule += std::string(widths[k], '-') + (k + 1 < widths.size() ? "  " : "");
    out += rule + "\n";
    for (const auto& cells : table) out += line(cells);
    return out;
}

}  // namespace tool
