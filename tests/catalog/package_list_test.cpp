#include "catalog/package_list.h"

#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "support/sandbox.h"

namespace mapvale::catalog {
namespace {

using mapvale::testing::Sandbox;

TEST(PackageListTest, ReadsBothSectionsFromCp949) {
    Sandbox sandbox;
    const std::string text =
        "1|100| 지도 데이터 \r\n"
        "2|200|Tarno\n"
        "\n"
        "8\n"
        "##|ignored\n"
        "2|1|0|1|1|2|0| ND_*.VB |지도(2GB)\n"
        "1|255|1|1|0|0|0|  |no name: dropped\n"
        "8|1|1|0|0|0|1|안전운행*|안전운행\n"
        "2|1|1\n";
    const std::string path =
        sandbox.Write("Info/PackageInfo.txt", platform::Utf8ToCp949(text).text);

    std::vector<PackageListRecord> records(3);
    std::vector<PackageCategory> categories(5);
    ASSERT_EQ(ReadPackageList(records, categories, path), 1);

    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].code, '1');
    EXPECT_EQ(records[0].number, 100);
    EXPECT_EQ(records[0].text, "지도 데이터");
    EXPECT_EQ(records[1].text, "Tarno");
    EXPECT_EQ(records[2].code, '8');
    EXPECT_EQ(records[2].number, 0);

    ASSERT_EQ(categories.size(), 2u);
    EXPECT_EQ(categories[0].kind, 2);
    EXPECT_EQ(categories[0].attributes, (std::array<std::int32_t, 6>{1, 0, 1, 1, 2, 0}));
    EXPECT_EQ(categories[0].name, "ND_*.VB");
    EXPECT_EQ(categories[0].display_name, "지도(2GB)");
    EXPECT_EQ(categories[1].kind, 8);
    EXPECT_EQ(categories[1].name, "안전운행*");
}

TEST(PackageListTest, AMissingFileEmptiesTheListsAndFails) {
    Sandbox sandbox;
    std::vector<PackageListRecord> records(2);
    std::vector<PackageCategory> categories(2);
    EXPECT_EQ(ReadPackageList(records, categories, sandbox.Path("missing.txt")), 0);
    EXPECT_TRUE(records.empty());
    EXPECT_TRUE(categories.empty());
}

}  // namespace
}  // namespace mapvale::catalog
