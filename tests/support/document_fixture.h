// A fixture for the collective document: an import object built as the hook
// builds it, its positions filled as the directory scan fills them (host
// memory grown with HostRealloc), and a goods index that starts empty.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "intake/position_record.h"
#include "shell/kolektor.h"
#include "support/host_fixture.h"

struct Position {
    std::string code;  // in the host's code page
    int32_t quantity;
};

inline bool operator==(const Position& a, const Position& b) { return a.code == b.code && a.quantity == b.quantity; }
inline std::ostream& operator<<(std::ostream& out, const Position& p) { return out << p.code << ":" << p.quantity; }

// Catalogue entries for a scenario's "goods" (texts in UTF-8).
json K9(int warehouse, int goodsId, const std::string& code, const std::string& name = "Towar");
json Codes(int warehouse, int goodsId, const std::string& code);

class DocumentFixture : public HostFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Resets the host with the scenario, then builds the import object with these positions.
    void Start(const json& scenario, const std::vector<Position>& positions = {});
    CKolektor& Kolektor() { return *reinterpret_cast<CKolektor*>(storage_); }
    PositionRecord& PositionAt(int i) { return Kolektor().positions[i]; }
    std::vector<Position> CurrentPositions();

    // Number of index builds so far: each reads table 117 once.
    int IndexBuilds() const;

private:
    alignas(4) unsigned char storage_[sizeof(CKolektor)] = {};
    volatile KolektorBuilt built_ = KolektorBuilt::Nothing;
};
