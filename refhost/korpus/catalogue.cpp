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
        if (tzak->recordSize < TzakField::BlankTest + 20) throw std::runtime_error("table 52 too small for a header");
        std::memcpy(record + TzakField::BlankTest, text.c_str(), text.size() + 1);
    }
    put32("877", TzakField::HeaderDone);
    put32("893", TzakField::CloseLast);
    put32("897", TzakField::CloseSecondLast);
}

void Require(bool condition, const std::string& what) {
    if (!condition) throw std::runtime_error(what);
}

// The scripted members that services read while the plug-in runs are checked
// here, so that a mistyped scenario fails at once and not inside a service.
void CheckScripts(const json& scenario) {
    if (scenario.contains("scan_reported_count")) {
        for (auto& [table, count] : scenario["scan_reported_count"].items())
            Require((table == "k9" || table == "117") && count.is_number_integer(),
                    "scan_reported_count takes integer counts for k9 and 117");
    }
    if (scenario.contains("scan_failures")) {
        for (const json& rule : scenario["scan_failures"]) {
            const std::string table = rule.value("table", "");
            Require(table == "k9" || table == "117", "scan_failures: table is k9 or 117");
            Require(!rule.contains("warehouse") || rule["warehouse"].is_number_integer(),
                    "scan_failures: warehouse is an integer");
            Require(!rule.contains("after") || (rule["after"].is_number_integer() && rule["after"].get<int>() >= 0),
                    "scan_failures: after is a count of records");
        }
    }
    if (scenario.contains("answers")) {
        const json& answers = scenario["answers"];
        for (const char* kind : {"check_right", "document_store"})
            if (answers.contains(kind))
                for (const json& answer : answers[kind])
                    Require(answer.is_number_integer(), std::string(kind) + " answers are integers");
        if (answers.contains("document_header")) {
            for (const json& run : answers["document_header"]) {
                Require(run.is_object(), "document_header answers are objects");
                for (auto& [member, value] : run.items())
                    Require((member == "result" || member == "k4_232" || member == "k4_962" || member == "tzak_877") &&
                                value.is_number_integer(),
                            "document_header answer member " + member + " is not result, k4_232, k4_962 or tzak_877");
            }
        }
    }
    if (scenario.contains("document")) {
        const json& document = scenario["document"];
        Require(!document.contains("lines_array") || document["lines_array"].is_boolean(),
                "document lines_array is true or false");
        Require(!document.contains("number") || document["number"].is_string(), "document number is a text");
        Require(!document.contains("date") || document["date"].is_string(), "document date is a text");
    }
}

}  // namespace

void ApplyCatalogue(const json& scenario) {
    CheckScripts(scenario);
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
