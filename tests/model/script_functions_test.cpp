#include "model/script_functions.h"

#include <gtest/gtest.h>

namespace mapvale {
namespace {

TEST(ScriptFunctionListTest, IdsAreOneBasedAndNamesExact) {
    ScriptFunctionList list;
    std::vector<ScriptValue> seen;
    list.Append({"ThemeDownload", nullptr});
    list.Append({"SetCoord", [&](const std::vector<ScriptValue>& args) {
                     seen = args;
                     return 0;
                 }});
    EXPECT_EQ(list.IdOf("ThemeDownload"), 1);
    EXPECT_EQ(list.IdOf("SetCoord"), 2);
    EXPECT_EQ(list.IdOf("setcoord"), -1);
    EXPECT_EQ(list.IdOf(""), -1);

    EXPECT_TRUE(list.Invoke(2, {std::int64_t{37}, std::int64_t{127}}));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(std::get<std::int64_t>(seen[0]), 37);
    EXPECT_TRUE(list.Invoke(1, {}));  // a record without a handler is still a known id
    EXPECT_FALSE(list.Invoke(0, {}));
    EXPECT_FALSE(list.Invoke(3, {}));
}

}  // namespace
}  // namespace mapvale
