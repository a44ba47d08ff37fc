// The reference host's goods catalogue, its table scans and the order
// document being built: the state behind the table and document services.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace korpus {

// One record of the catalogue, in table k9 or table 117. Texts in Mazovia.
struct GoodsItem {
    bool inK9 = true;  // false: a record of table 117
    int warehouse = 0;
    int goodsId = 0;
    std::string code;
    std::string name;
};

// One scan over a table, keyed by the plug-in's scan-state area.
struct Scan {
    int table = 0;                  // 49 or 117
    std::vector<size_t> records;    // catalogue items, in delivery order
    size_t next = 0;
    bool open = false;
    int breakAfter = -1;            // scripted: HostScanNext gives 0 after this many records
};

struct Catalogue {
    int16_t currentWarehouse = 0;
    int32_t currentGoods = 0;
    std::vector<GoodsItem> goods;
    std::map<const void*, Scan> scans;
    int positionedGoods = -1;       // the k9 item HostSeekGoods positioned last

    // The lines array of the document and the line records it points to.
    std::vector<void*> lines;
    std::vector<std::unique_ptr<uint8_t[]>> lineRecords;
    bool linesAllocated = false;
    nlohmann::json savedLines = nlohmann::json::array();
    bool linesSaved = false;
};

// Applies the members "goods" and "document" of a scenario; throws on nonsense.
void ApplyCatalogue(const nlohmann::json& scenario);

// Scans started and not closed.
int OpenScans();

}  // namespace korpus
