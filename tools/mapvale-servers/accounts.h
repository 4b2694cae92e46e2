#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mapvale::servers {

// A vehicle (or, for an ORLA unit account, a unit) of an account, in the order the answers
// list them.
struct Vehicle {
    std::string model;  // model name: the package information file is model + ".inf"
    bool registered = true;
    std::string product_line;
    std::string caption;
    std::vector<std::string> options;  // further parts of the product entry
    std::string picture;               // picture file name under the picture root; may be empty
    std::string device_class;          // "PDA" is what the client stores as "P"
    std::string extra;                 // the device's extra entry; may hold '|' fields
};

// One user of the registration server.
struct Account {
    std::string user;
    std::string password;
    // The account kind text the answer carries (usually one letter: H and K vehicle accounts of
    // the two brands, G ORLA units, M and D TARNO units, X no account; any case, any text).
    std::string letter;
    std::string brand;              // OV or DL for H and K accounts; free for the others
    std::string name;               // the account text shown to the user
    std::string service;            // the traffic-service flag: T, F or anything
    std::string registration_text;  // shown for vehicles that are not registered
    std::string shared_value;
    std::string shared_flag = "0";   // "1" makes the client keep the shared value
    std::optional<int> result_code;  // answer every account check with this code ...
    std::string result_text;         // ... and this text, instead of signing in
    std::vector<Vehicle> vehicles;

    // True for H and K accounts (either case): their account check is also their vehicle list.
    bool IsVehicleAccount() const;
};

// The accounts file of a world: readable text in the syntax of conf_text.h.
//
//   [account hong]                  the user id
//   password = 1234
//   letter = H
//   brand = OV                      optional; H accounts are OV, K accounts DL
//   name = 홍길동
//   service = T
//   registration-text = 등록되지 않은 차량입니다.
//   shared-value = OVCLUB
//   shared-flag = 1
//   result = 203 이용이 정지된 계정입니다.   optional: a refusal with this code and text
//
//   [vehicle]                       belongs to the account above; repeatable
//   model = HX100
//   registered = 1
//   product-line = HX-100
//   caption = 그랜드 HX
//   options = 블랙박스, 하이패스       optional, comma-separated
//   picture = HX100.png
//   class = AVN
//   extra = 2024|OV|SEOUL|A1
//
// Every value must be CP949 text and must not hold the separators of the answer it goes into
// (the loader names the line that does). The first vehicle of an H or K account must have a
// product line starting with the account letter: the account check and the vehicle list are
// one answer, whose product lines begin where the account kind is read.
class Accounts {
public:
    // Nothing, with `error` naming the line, when the text is not a valid accounts file.
    static std::optional<Accounts> Parse(std::string_view text, std::string& error);
    static std::optional<Accounts> Load(const std::string& path, std::string& error);

    // The account of `user` (compared exactly), or null.
    const Account* Find(std::string_view user) const;
    const std::vector<Account>& all() const { return accounts_; }

private:
    std::vector<Account> accounts_;
    std::map<std::string, std::size_t, std::less<>> index_;
};

}  // namespace mapvale::servers
