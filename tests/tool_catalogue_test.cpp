// The goods catalogue that zbieracz-host loads into the reference host.
#include <gtest/gtest.h>

#include "goods_catalogue.h"

using namespace tool;

TEST(Catalogue, ReadsRowsWithQuotedFieldsIntoTheGoodsScenario) {
    const Catalogue catalogue = ParseCatalogue(
        "\xEF\xBB\xBFwarehouse,goods_id,code,name,table\r\n"
        "0,101,SR-M6,\"Śruba M6, ocynkowana\",k9\r\n"
        "\r\n"
        "99,32767,LATA-40X60,\"Łata \"\"40x60\"\"\",117\r\n",
        "k.csv");
    ASSERT_TRUE(catalogue.Loaded()) << catalogue.error;
    ASSERT_EQ(catalogue.rows.size(), 2u);
    EXPECT_EQ(catalogue.rows[1].line, 4);
    EXPECT_EQ(GoodsScenario(catalogue),
              nlohmann::json::parse(R"([
                  {"warehouse": 0, "goods_id": 101, "code": "SR-M6", "name": "Śruba M6, ocynkowana", "table": "k9"},
                  {"warehouse": 99, "goods_id": 32767, "code": "LATA-40X60", "name": "Łata \"40x60\"", "table": "117"}
              ])"));
}

TEST(Catalogue, RefusesMalformedRowsNamingTheirLine) {
    const std::string header = "warehouse,goods_id,code,name,table\n0,1,A,a,k9\n";
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"", "k.csv:1: the catalogue is empty: no header row"},
        {"magazyn,id,kod,nazwa,tabela\n", "k.csv:1: the first row must be the header warehouse,goods_id,code,name,table"},
        {header + "0,2,B,b\n", "k.csv:3: expected 5 fields, found 4"},
        {header + "100,2,B,b,k9\n", "k.csv:3: warehouse '100' is not a number from 0 to 99"},
        {header + "x,2,B,b,k9\n", "k.csv:3: warehouse 'x' is not a number from 0 to 99"},
        {header + "0,0,B,b,k9\n", "k.csv:3: goods_id '0' is not a number from 1 to 32767"},
        {header + "0,40000,B,b,k9\n", "k.csv:3: goods_id '40000' is not a number from 1 to 32767"},
        {header + "0,2,,b,k9\n", "k.csv:3: the code is empty"},
        {header + "0,2,B,b,k4\n", "k.csv:3: table 'k4' is neither k9 nor 117"},
        {header + "0,2,B€,b,k9\n", "k.csv:3: code 'B€' holds '€', which the host's code page lacks"},
        {header + "0,2,B,\"b,k9\n", "k.csv:3: a quoted field is not closed"},
        {header + "0,2,B,b\"x\",k9\n", "k.csv:3: a quote inside an unquoted field"},
        {header + "0,2,B,\xC5\x81\xFF,k9\n", "k.csv:3: the line is not valid UTF-8 (the catalogue must be saved as UTF-8)"},
        {header + "0,2," + std::string(41, 'C') + ",b,k9\n", "k.csv:3: code '" + std::string(41, 'C') +
                                                                  "' is longer than 40 characters"},
    };
    for (const auto& c : cases) {
        const Catalogue catalogue = ParseCatalogue(c.text, "k.csv");
        EXPECT_EQ(catalogue.error, c.error) << c.text;
        EXPECT_TRUE(catalogue.rows.empty());
    }
}
