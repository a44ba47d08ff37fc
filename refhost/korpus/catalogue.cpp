// Scenario members of the goods catalogue and the order document.
#include "catalogue.h"

#include <cstring>
#include <stdexcept>

#include "host/host_records.h"
#include "host_state.h"

namespace korpus {

namespace {

GoodsItem ParseGoodsItem(const json& entry) {
    GoodsItem item;
    const std::string table = entry.value("table", "k9");
    if (table != "k9" && table != "117") throw std::runtime_error("goods table \"" + table + "\" is not k9 or 117");
    item.inK9 = table == "k9";
    item.warehouse = entry.at("warehouse").get<int>();
    item.goodsId = entry.at("goods_id").get<int>();
    item.code = MazoviaFromUtf8(entry.value("code", ""));
    item.name = MazoviaFromUtf8(entry.value("name", ""));
    if (item.warehouse < INT16_MIN || item.warehouse > INT16_MAX || item.goodsId < INT16_MIN ||
        item.goodsId > INT16_MAX)
        throw std::runtime_error("goods warehouse and goods id are signed 16-bit numbers");
    return item;
}

// The order header as the host holds it when the event comes.
void ApplyHeader(const json& header) {
    Table* tzak = FindTable(HostTable::Tzak);
    if (tzak == nullptr) throw std::runtime_error("document header given but the host has no table 52");
    uint8_t* record = tzak->record.data();
    const auto put32 = [&](const char* member, int offset) {
        if (header.contains(member) && offset + 4 <= tzak->recordSize)
            WriteField<int32_t>(record, offset, header[member].get<int32_t>());
    };
    if (header.contains("text")) {
        const std::string text = MazoviaFromUtf8(header["text"].get<std::string>());
        if (text.size() >= 20) throw std::runtime_error("document header text longer than 19 characters");
        std::memcpy(record + TzakField::BlankTest, text.c_str(), text.size() + 1);
    }
    put32("877", TzakField::HeaderDone);
    put32("893", TzakField::CloseLast);
    put32("897", TzakField::CloseSecondLast);
}

}  // namespace

void ApplyCatalogue(const json& scenario) {
    Catalogue& catalogue = State().catalogue;
    if (scenario.contains("goods")) {
        catalogue.goods.clear();
        for (const json& entry : scenario["goods"]) catalogue.goods.push_back(ParseGoodsItem(entry));
    }
    if (scenario.contains("document")) {
        const json& document = scenario["document"];
        if (document.contains("date") && document["date"].get<std::string>().size() > 8)
            throw std::runtime_error("document date longer than 8 characters");
        if (document.contains("header")) ApplyHeader(document["header"]);
    }
}

int OpenScans() {
    int open = 0;
    for (const auto& [state, scan] : State().catalogue.scans) open += scan.open ? 1 : 0;
    return open;
}

}  // namespace korpus
