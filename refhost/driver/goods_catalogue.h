// The goods catalogue: a CSV export in UTF-8 with the header row
// warehouse,goods_id,code,name,table. Loading it fills the reference host's
// goods tables (its scenario member "goods").
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace tool {

struct CatalogueRow {
    int line = 0;          // line of the CSV file, from 1
    int warehouse = 0;     // 0 to 99
    int goodsId = 0;       // the host's goods id, a non-zero 16-bit number
    std::string code;      // UTF-8
    std::string name;      // UTF-8
    std::string table;     // "k9" or "117"
};

struct Catalogue {
    std::vector<CatalogueRow> rows;
    std::string error;     // "catalog.csv:7: goods_id 'x' is not a number"; empty when loaded
    bool Loaded() const { return error.empty(); }
};

// Parses the text of a catalogue; `name` is the file name used in messages.
Catalogue ParseCatalogue(const std::string& text, const std::string& name);
// Reads and parses a catalogue file.
Catalogue LoadCatalogue(const std::string& path);
// The scenario member "goods" of the reference host.
nlohmann::json GoodsScenario(const Catalogue& catalogue);

// Longest goods code and name a catalogue row may hold: what the host's
// goods records keep.
inline constexpr int CatalogueCodeLimit = 40;
inline constexpr int CatalogueNameLimit = 120;

}  // namespace tool
