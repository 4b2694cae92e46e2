#include "catalog/package_step.h"

#include <gtest/gtest.h>

#include "catalog_fixtures.h"

namespace mapvale::catalog {
namespace {

using testing::Entry;

PackageCategory Category(std::int32_t kind, std::string name, std::string display,
                         std::array<std::int32_t, 6> attributes = {1, 0, 0, 0, 0, 0}) {
    PackageCategory category;
    category.kind = kind;
    category.name = std::move(name);
    category.display_name = std::move(display);
    category.attributes = attributes;
    return category;
}

PackageInfo Context(std::vector<std::pair<std::string, std::string>> variables,
                    std::vector<FileEntry> entries) {
    PackageInfo context;
    context.variables = std::move(variables);
    context.entries = std::move(entries);
    return context;
}

TEST(PackageStepTest, PackageTypesGiveKindAndSubKind) {
    const std::pair<std::string_view, PackageKind> cases[] = {
        {"ORLA_v4", {1, 1}},   {"orla_V4", {1, 1}},    {"ORLA_V5", {8, 1}}, {"orla_3d", {1, 3}},
        {"tarno_low", {2, 1}}, {"TARNO_HIGH", {2, 2}}, {"", {1, 2}},        {"TARNO", {1, 2}},
    };
    for (const auto& [type, expected] : cases) {
        const PackageKind kind = PackageKindFromType(type);
        EXPECT_EQ(kind.kind, expected.kind) << type;
        EXPECT_EQ(kind.sub_kind, expected.sub_kind) << type;
    }
}

TEST(PackageStepTest, ReadsTheHeaderValues) {
    DeviceEntry device;
    device.product_line = "PDA";
    device.caption = "old";
    device.variant_totals = {5, 5, 5};
    PackageInfo context = Context({{"PACKAGE_TYPE", "TARNO_HIGH"},
                                   {"NOTIFY_URL", "http://n.example/x"},
                                   {"ENABLE_AUTOSTART_WMKINSTALLER", "1"},
                                   {"MODEL_CAPTION", "Tarno 7"}},
                                  {});
    ApplyPackageInfo(context, device, {});
    EXPECT_EQ(device.kind, 2);
    EXPECT_EQ(device.sub_kind, 2);
    EXPECT_EQ(device.notify_url, "http://n.example/x");
    EXPECT_EQ(device.autostart, 1);
    EXPECT_EQ(device.caption, "Tarno 7");
    EXPECT_EQ(device.setup_flag, 1);
    EXPECT_EQ(device.variant_totals, (std::array<std::int64_t, 3>{}));

    device.product_line = "CAR";
    context = Context({{"ENABLE_AUTOSTART_WMKINSTALLER", "1 "}, {"MODEL_CAPTION", "x"}},
                      {Entry("ORLASETUP.TXT")});
    ApplyPackageInfo(context, device, {});
    EXPECT_EQ(device.autostart, 0);  // exactly "1"
    EXPECT_EQ(device.caption, "Tarno 7");
    EXPECT_EQ(device.setup_flag, 2);
}

TEST(PackageStepTest, FilesEntriesByCategory) {
    DeviceEntry device;
    device.files = {Entry("from-before")};
    const std::vector<PackageCategory> categories = {
        Category(2, "FIRST", "첫째", {1, 2, 1, 1, 0, 0}),  // files one entry
        Category(1, "OTHER*", "다른 종류"),                // another kind: files nothing
        Category(2, "SECOND", "둘째", {1, 2, 0, 0, 2, 0}),
        Category(2, "REST*", "나머지", {1, 2, 0, 0, 3, 1}),  // files every remaining entry
        Category(2, "LATE", "늦음"),                         // nothing left
    };
    PackageInfo context = Context({{"PACKAGE_TYPE", "TARNO_LOW"}},
                                  {Entry("Install_OrLa.exe", "", 1000), Entry("a", "", 1),
                                   Entry("b", "", 2), Entry("c", "", 4), Entry("d", "", 8)});
    ApplyPackageInfo(context, device, categories);

    ASSERT_EQ(device.files.size(), 4u);
    EXPECT_TRUE(context.entries.empty());
    EXPECT_EQ(device.files[0].file_name, "a");
    EXPECT_EQ(device.files[0].category, "첫째");
    EXPECT_EQ(device.files[0].attributes, (std::array<std::int32_t, 6>{1, 2, 1, 1, 0, 0}));
    EXPECT_EQ(device.files[1].category, "둘째");
    EXPECT_EQ(device.files[2].category, "나머지");
    EXPECT_EQ(device.files[3].category, "나머지");
    // "a" is of every variant (attribute 3); sub-kind 1: attribute 5 of 2 counts for the 2 GB
    // variant, 3 does not.
    EXPECT_EQ(device.variant_totals, (std::array<std::int64_t, 3>{1, 3, 13}));
}

TEST(PackageStepTest, UnfiledEntriesGoToTheUnknownCategory) {
    DeviceEntry device;
    PackageInfo context =
        Context({{"PACKAGE_TYPE", "ORLA_v4"}},
                {Entry("orlasetup.txt", "", 1), Entry("kept", "", 2), Entry("more", "", 4)});
    // A category of another kind files nothing, but its walk drops the installer entry.
    ApplyPackageInfo(context, device, {Category(2, "X*", "x")});
    ASSERT_EQ(device.files.size(), 2u);
    EXPECT_EQ(device.files[0].category, kUnknownCategory);
    context = Context({{"PACKAGE_TYPE", "ORLA_v4"}},
                      {Entry("orlasetup.txt", "", 1), Entry("kept", "", 2), Entry("more", "", 4)});
    ApplyPackageInfo(context, device, {Category(1, "ONE", "one")});
    ASSERT_EQ(device.files.size(), 2u);
    EXPECT_EQ(device.files[0].file_name, "kept");
    EXPECT_EQ(device.files[0].category, "one");
    EXPECT_EQ(device.files[1].file_name, "more");
    EXPECT_EQ(device.files[1].category, kUnknownCategory);
    EXPECT_EQ(device.files[1].attributes, (std::array<std::int32_t, 6>{255, 1, 1, 1, 1, 1}));
    EXPECT_EQ(device.variant_totals, (std::array<std::int64_t, 3>{4, 4, 4}));

    context = Context({}, {Entry("orlasetup.txt", "", 1)});
    ApplyPackageInfo(context, device, {});
    ASSERT_EQ(device.files.size(), 1u);  // no walk reached it
    EXPECT_EQ(device.files[0].category, kUnknownCategory);
}

}  // namespace
}  // namespace mapvale::catalog
