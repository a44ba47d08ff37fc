#include "support/document_fixture.h"

#include <cstring>

#include "document/goods_index.h"
#include "host/host_services.h"

void DocumentFixture::SetUp() {
    HostFixture::SetUp();
    // The reserve lives as long as the plug-in; every test starts as a fresh load.
    GoodsIndexReserve = 1000;
    WarehouseGoodsIndex = GoodsIndex{};
}

void DocumentFixture::TearDown() {
    if (built_ != KolektorBuilt::Nothing) DestroyKolektor(&Kolektor(), &built_);
    EXPECT_EQ(KorpusOpenScans(), 0) << "a table scan was left open";
    EXPECT_EQ(WarehouseGoodsIndex.entries, nullptr) << "the goods index was left allocated";
    ReleaseGoodsIndex(&WarehouseGoodsIndex);
    HostFixture::TearDown();
}

void DocumentFixture::Start(const json& scenario, const std::vector<Position>& positions) {
    Scenario(scenario);
    ConstructKolektor(&Kolektor(), &built_);
    CKolektor& k = Kolektor();
    if (positions.empty()) return;
    void* block = nullptr;
    ASSERT_NE(HostRealloc(&block, static_cast<int>(positions.size() * sizeof(PositionRecord))), 0);
    k.positions = static_cast<PositionRecord*>(block);
    k.positionCapacity = static_cast<int32_t>(positions.size());
    for (const Position& p : positions) {
        PositionRecord& record = k.positions[k.positionCount++];
        std::memset(&record, 0, sizeof record);
        ASSERT_LT(p.code.size(), sizeof record.code);
        std::memcpy(record.code, p.code.c_str(), p.code.size());
        record.quantity = p.quantity;
    }
}

std::vector<Position> DocumentFixture::CurrentPositions() {
    std::vector<Position> out;
    for (int i = 0; i < Kolektor().positionCount; ++i) out.push_back({PositionAt(i).code, PositionAt(i).quantity});
    return out;
}

json K9(int warehouse, int goodsId, const std::string& code, const std::string& name) {
    return {{"table", "k9"}, {"warehouse", warehouse}, {"goods_id", goodsId}, {"code", code}, {"name", name}};
}

json Codes(int warehouse, int goodsId, const std::string& code) {
    return {{"table", "117"}, {"warehouse", warehouse}, {"goods_id", goodsId}, {"code", code}};
}

int DocumentFixture::IndexBuilds() const {
    int builds = 0;
    for (const json& event : Events("get_table")) builds += event["table"] == 117 ? 1 : 0;
    return builds;
}
