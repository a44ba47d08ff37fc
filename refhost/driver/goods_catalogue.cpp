#include "goods_catalogue.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "text_encoding.h"

namespace tool {

namespace {

const std::vector<std::string> HeaderColumns = {"warehouse", "goods_id", "code", "name", "table"};

// Splits one CSV line into fields. Fields may be quoted with double quotes;
// a doubled quote inside stands for one. False with *why on a broken quote.
bool SplitCsvLine(const std::string& line, std::vector<std::string>* fields, std::string* why) {
    fields->clear();
    std::string field;
    size_t i = 0;
    for (;;) {
        field.clear();
        if (i < line.size() && line[i] == '"') {
            ++i;
            for (;;) {
                if (i >= line.size()) {
                    *why = "a quoted field is not closed";
                    return false;
                }
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
            if (i < line.size() && line[i] != ',') {
                *why = "text after a closing quote";
                return false;
            }
        } else {
            while (i < line.size() && line[i] != ',') {
                if (line[i] == '"') {
                    *why = "a quote inside an unquoted field";
                    return false;
                }
                field += line[i++];
            }
        }
        fields->push_back(field);
        if (i >= line.size()) return true;
        ++i;  // the comma
    }
}

bool ParseInteger(const std::string& text, long* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    *value = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && *end == 0 && text.find_first_of(" \t+") == std::string::npos;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

}  // namespace

Catalogue ParseCatalogue(const std::string& text, const std::string& name) {
    Catalogue catalogue;
    auto fail = [&](int line, const std::string& why) {
        catalogue.rows.clear();
        catalogue.error = name + ":" + std::to_string(line) + ": " + why;
        return catalogue;
    };
    std::istringstream input(text);
    std::string line;
    int number = 0;
    bool header = false;
    std::vector<std::string> fields;
    std::string why;
    while (std::getline(input, line)) {
        ++number;
        if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::string ignored;
        if (!MazoviaFromUtf8(line, &ignored) && ignored == "invalid UTF-8")
            return fail(number, "the line is not valid UTF-8 (the catalogue must be saved as UTF-8)");
        if (!SplitCsvLine(line, &fields, &why)) return fail(number, why);
        if (!header) {
            if (fields != HeaderColumns)
                return fail(number, "the first row must be the header warehouse,goods_id,code,name,table");
            header = true;
            continue;
        }
        if (fields.size() != HeaderColumns.size())
            return fail(number, "expected 5 fields, found " + std::to_string(fields.size()));
        CatalogueRow row;
        row.line = number;
        long value = 0;
        if (!ParseInteger(fields[0], &value) || value < 0 || value > 99)
            return fail(number, "warehouse " + Quoted(fields[0]) + " is not a number from 0 to 99");
        row.warehouse = static_cast<int>(value);
        if (!ParseInteger(fields[1], &value) || value < 1 || value > 32767)
            return fail(number, "goods_id " + Quoted(fields[1]) + " is not a number from 1 to 32767");
        row.goodsId = static_cast<int>(value);
        row.code = fields[2];
        if (row.code.empty()) return fail(number, "the code is empty");
        std::string offending;
        if (!MazoviaFromUtf8(row.code, &offending))
            return fail(number, "code " + Quoted(row.code) + " holds '" + offending +
                                    "', which the host's code page lacks");
        if (Utf8Width(row.code) > CatalogueCodeLimit)
            return fail(number, "code " + Quoted(row.code) + " is longer than " +
                                    std::to_string(CatalogueCodeLimit) + " characters");
        row.name = fields[3];
        if (!MazoviaFromUtf8(row.name, &offending))
            return fail(number, "name " + Quoted(row.name) + " holds '" + offending +
                                    "', which the host's code page lacks");
        if (Utf8Width(row.name) > CatalogueNameLimit)
            return fail(number, "name is longer than " + std::to_string(CatalogueNameLimit) + " characters");
        row.table = fields[4];
        if (row.table != "k9" && row.table != "117")
            return fail(number, "table " + Quoted(row.table) + " is neither k9 nor 117");
        catalogue.rows.push_back(row);
    }
    if (!header) return fail(number == 0 ? 1 : number, "the catalogue is empty: no header row");
    return catalogue;
}

Catalogue LoadCatalogue(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        Catalogue catalogue;
        catalogue.error = path + ": cannot be read";
        return catalogue;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return ParseCatalogue(text.str(), path);
}

nlohmann::json GoodsScenario(const Catalogue& catalogue) {
    nlohmann::json goods = nlohmann::json::array();
    for (const CatalogueRow& row : catalogue.rows)
        goods.push_back({{"warehouse", row.warehouse},
                         {"goods_id", row.goodsId},
                         {"code", row.code},
                         {"name", row.name},
                         {"table", row.table}});
    return goods;
}

}  // namespace tool
