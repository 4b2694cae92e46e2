#include "mapvale-servers/accounts.h"

#include <gtest/gtest.h>

namespace mapvale::servers {
namespace {

constexpr const char* kTwoAccounts = R"(# accounts
[account hong]
password = 1234
letter = H
name = 홍길동
service = T
shared-value = CLUB
shared-flag = 1

[vehicle]
model = HX100
registered = 0
product-line = HX-100
caption = 그랜드 HX
options = 블랙박스, , 하이패스
picture = HX100.png
class = PDA
extra = 1|2|3|4

[account 김]
password =
letter = g
result = 203 정지된 계정
)";

TEST(AccountsTest, ReadsAccountsAndVehicles) {
    std::string error;
    const auto accounts = Accounts::Parse(kTwoAccounts, error);
    ASSERT_TRUE(accounts) << error;
    ASSERT_EQ(accounts->all().size(), 2u);
    const Account* hong = accounts->Find("hong");
    ASSERT_NE(hong, nullptr);
    EXPECT_TRUE(hong->IsVehicleAccount());
    EXPECT_EQ(hong->brand, "OV");  // from the letter
    EXPECT_EQ(hong->name, "홍길동");
    EXPECT_EQ(hong->shared_flag, "1");
    ASSERT_EQ(hong->vehicles.size(), 1u);
    const Vehicle& vehicle = hong->vehicles[0];
    EXPECT_FALSE(vehicle.registered);
    EXPECT_EQ(vehicle.options, (std::vector<std::string>{"블랙박스", "하이패스"}));
    EXPECT_EQ(vehicle.extra, "1|2|3|4");

    const Account* kim = accounts->Find("김");
    ASSERT_NE(kim, nullptr);
    EXPECT_FALSE(kim->IsVehicleAccount());
    EXPECT_EQ(kim->password, "");
    EXPECT_EQ(kim->result_code, 203);
    EXPECT_EQ(kim->result_text, "정지된 계정");
    EXPECT_EQ(accounts->Find("HONG"), nullptr);  // user ids are exact
}

TEST(AccountsTest, RefusesWhatWouldBreakAnAnswer) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"password = 1\n", "line 1: a key outside any [account]"},
        {"[vehicle]\n", "line 1: a vehicle must follow"},
        {"[account a]\nletter = H\ncolour = red\n", "line 3: unknown account key"},
        {"[account a]\nletter = H\n[account a]\nletter = K\n", "line 3: user a is listed twice"},
        {"[account a]\nletter = H\nname = a|b\n", "line 3: the value must not contain '|'"},
        {"[account a]\nletter = H\nservice = T#!#\n", "must not contain \"#!#\""},
        {"[account a]\nletter = H\nname = 😀\n", "CP949"},
        {"[account a]\nletter = H\n[vehicle]\nmodel = A.B\n", "line 4: a model name"},
        {"[account a]\nletter = H\n[vehicle]\nmodel = A\nregistered = yes\n", "line 5"},
        {"[account a]\nletter = H\n[vehicle]\nmodel = A\ncaption = x$y\n", "'$'"},
        {"[account a]\nletter = H\n[vehicle]\nmodel = A\nextra = 1|*|2\n", "'*'"},
        {"[account a]\nletter = H\n[vehicle]\nmodel = A\nproduct-line = K-1\n",
         "must start with the account letter H"},
        {"[account a]\nletter = H\n[vehicle]\nproduct-line = H-1\n", "without a model"},
        {"[account a]\nletter = K\nbrand = OV\n", "is of brand DL"},
        {"[account a]\npassword = 1\n", "has no letter"},
        {"[account a]\nletter = H\nresult = 200 fine\n", "three-digit code other than 200"},
        {"[account a]\nletter = H\n[gadget]\n", "unknown section [gadget]"},
        {"[account a\n", "must end in ']'"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(Accounts::Parse(c.text, error)) << c.text;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.text << " -> " << error;
    }
}

}  // namespace
}  // namespace mapvale::servers
