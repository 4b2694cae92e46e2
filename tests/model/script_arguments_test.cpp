#include "model/script_arguments.h"

#include <gtest/gtest.h>

namespace mapvale {
namespace {

TEST(ScriptArguments, NumbersAndTextsReadTheWayHandlersNeedThem) {
    EXPECT_EQ(ScriptInt(ScriptValue(1e300)), 2147483647);
    EXPECT_EQ(ScriptInt(ScriptValue(-2.9)), -2);
    EXPECT_EQ(ScriptInt(ScriptValue(std::string(" 42 "))), 42);
    EXPECT_EQ(ScriptInt(ScriptValue(std::string("+7"))), 7);
    EXPECT_EQ(ScriptInt(ScriptValue(std::string("4x")), -1), -1);
    EXPECT_EQ(ScriptInt(ScriptValue(std::string("99999999999")), -1), -1);
    EXPECT_EQ(ScriptInt(ScriptValue(std::string()), -1), -1);
    EXPECT_EQ(ScriptInt(ScriptValue(true)), 1);
    EXPECT_EQ(ScriptText(ScriptValue(std::int64_t{-7})), "-7");
    EXPECT_EQ(ScriptText(ScriptValue(0.5)), "0.5");
    EXPECT_EQ(ScriptText(ScriptValue()), "");
}

TEST(ScriptArguments, ThePagesOrderOverTheLastFirstListWithMissingOnesEmpty) {
    // The page called f("a", 2): the handler's list holds the last argument first.
    const std::vector<ScriptValue> last_first{std::int64_t{2}, std::string("a")};
    const ScriptArguments arguments(last_first);
    EXPECT_EQ(ScriptText(arguments[0]), "a");
    EXPECT_EQ(ScriptInt(arguments[1]), 2);
    EXPECT_EQ(ScriptText(arguments[2]), "");
    EXPECT_EQ(arguments.Short(3), 0);
    // A flag wider than 16 bits is cut as the handlers' flags are.
    const std::vector<ScriptValue> wide{std::int64_t{65537}};
    EXPECT_EQ(ScriptArguments(wide).Short(0), 1);
}

}  // namespace
}  // namespace mapvale
