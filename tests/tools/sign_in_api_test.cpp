// The registration and service answers, read the way the client reads them.

#include "mapvale-servers/sign_in_api.h"

#include <gtest/gtest.h>

#include "mapvale-servers/version_query.h"
#include "net/answer_envelope.h"
#include "support/sandbox.h"

namespace mapvale::servers {
namespace {

using net::AnswerEnvelope;
using net::Field;
using net::ListEntry;

constexpr const char* kAccounts = R"([account hong]
password = pw
letter = H
name = 홍길동
service = T
registration-text = 미등록
shared-value = CLUB
shared-flag = 1
[vehicle]
model = HX100
product-line = HX-1
caption = 하나
options = a, b
picture = one.png
class = AVN
extra = 1|2|3|4
[vehicle]
model = HY200
registered = 0
product-line = HY-2
caption = 둘
extra = 5|6|7|8
[account orla]
password = pw
letter = g
name = 박
[vehicle]
model = GO1
product-line = GO-1
)";

class SignInApiTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        auto accounts = Accounts::Parse(kAccounts, error);
        ASSERT_TRUE(accounts) << error;
        accounts_ = std::move(*accounts);
    }

    Accounts accounts_;
    ConsentBook consents_;
    SignInApi api_{accounts_, {"http://h/info", "http://h/pictures"}, consents_};
};

TEST_F(SignInApiTest, OwnBrandAnswerIsTheAccountCheckAndTheVehicleList) {
    const AnswerEnvelope answer(api_.AccountCheck("hong", "OV", "pw"));
    ASSERT_EQ(answer.SectionCount(), 10u);
    const std::string result = answer.Section(1);
    EXPECT_EQ(Field(result, 0), "200");
    EXPECT_EQ(Field(result, 1), "홍길동");
    EXPECT_EQ(Field(result, 2), "미등록");
    EXPECT_EQ(Field(result, 3), "HX100.inf$1");
    EXPECT_EQ(Field(result, 4), "HY200.inf$0");
    EXPECT_FALSE(net::HasPiece(result, 5, "|"));
    EXPECT_EQ(answer.Section(2), "CLUB$1");
    EXPECT_EQ(answer.Section(3), "T");
    EXPECT_EQ(answer.Section(4), "http://h/info");
    EXPECT_EQ(answer.Section(5).front(), 'H');  // where the client reads the account kind
    EXPECT_EQ(ListEntry(answer.Section(5), 0), "HX-1$하나$a$b");
    EXPECT_EQ(ListEntry(answer.Section(5), 1), "HY-2$둘");
    EXPECT_EQ(ListEntry(answer.Section(6), 0), "one.png");
    EXPECT_EQ(ListEntry(answer.Section(6), 1), "");
    EXPECT_EQ(answer.Section(7), "http://h/pictures");
    EXPECT_EQ(ListEntry(answer.Section(8), 0), "AVN");
    // The extra fields 1-4 are the first four '|' fields of the whole section.
    EXPECT_EQ(Field(answer.Section(9), 3), "4");
    EXPECT_EQ(ListEntry(answer.Section(9), 1), "5|6|7|8");
}

TEST_F(SignInApiTest, OtherAnswersCarryTheLetterAlone) {
    // The other brand, and accounts that are not vehicle accounts, list nothing here.
    for (const auto& text :
         {api_.AccountCheck("hong", "DL", "pw"), api_.AccountCheck("orla", "OV", "pw")}) {
        const AnswerEnvelope answer(text);
        EXPECT_EQ(Field(answer.Section(1), 0), "200");
        EXPECT_FALSE(net::HasPiece(answer.Section(1), 3, "|")) << text;
        EXPECT_EQ(answer.Section(5).size(), 1u) << text;
    }
    // A G account's units come from the unit list.
    const AnswerEnvelope units(api_.UnitList("orla", "OV", "pw"));
    EXPECT_EQ(Field(units.Section(1), 3), "GO1.inf$1");
    EXPECT_EQ(ListEntry(units.Section(5), 0), "GO-1$");
    EXPECT_FALSE(
        net::HasPiece(AnswerEnvelope(api_.UnitList("hong", "OV", "pw")).Section(1), 3, "|"));
}

TEST_F(SignInApiTest, RefusalsAndConsent) {
    EXPECT_EQ(api_.AccountCheck("hong", "OV", "PW"), "#!#201|" + std::string(kWrongPasswordText));
    EXPECT_EQ(api_.UnitList("orla", "OV", ""), "#!#201|" + std::string(kWrongPasswordText));
    const AnswerEnvelope unknown(api_.AccountCheck("nobody", "OV", "pw"));
    EXPECT_EQ(Field(unknown.Section(1), 0), "200");
    EXPECT_EQ(unknown.Section(5), "X");

    consents_.Record("hong", "F");
    EXPECT_EQ(AnswerEnvelope(api_.AccountCheck("hong", "OV", "pw")).Section(3), "F");
}

TEST(VersionQueryTest, AnswersFromThePackageInformationFile) {
    testing::Sandbox box;
    box.Write("content/info/HX100.inf",
              "PACKAGE_TYPE=orla_v5\r\nMAP_VERSION=20240115\r\n# END\r\n");
    box.Write("content/info/BARE.inf", "PACKAGE_TYPE=orla_v5\r\n");
    const VersionQuery query(box.Path("content"), "/info", "http://h:1", 1);
    const auto payload = [](const std::string& answer) {
        return net::Pieces(AnswerEnvelope(answer).Section(1), "|*|");
    };
    EXPECT_EQ(payload(query.Answer("HX100")),
              (std::vector<std::string>{"200", "20240115", "1", "http://h:1/info/HX100.inf"}));
    EXPECT_EQ(payload(query.Answer("BARE"))[1], "0");
    for (const char* name : {"NONE", "../content/info/HX100", "info/HX100", ""}) {
        EXPECT_EQ(payload(query.Answer(name))[0], "404") << name;
    }
    const VersionQuery maintenance(box.Path("content"), "/info", "http://h:1", 2);
    EXPECT_EQ(payload(maintenance.Answer("HX100"))[2], "2");
}

}  // namespace
}  // namespace mapvale::servers
