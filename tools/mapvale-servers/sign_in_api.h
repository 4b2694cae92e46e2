#pragma once

#include <string>
#include <string_view>

#include "mapvale-servers/accounts.h"
#include "mapvale-servers/consent_book.h"

namespace mapvale::servers {

class HttpServer;

// Where a world serves what sign-in answers point at: full URLs of folders, without a trailing
// '/'.
struct SignInSite {
    std::string information_root;  // the package information files
    std::string picture_root;      // the product pictures
};

// The registration server's account check and vehicle list ("/WMK/WMKChkRegist.mms") and the
// service server's ORLA unit list ("/WMK/orlaWMKChkRegist.mms"), answered from the accounts
// file. Parameters: D1 user id, D2 brand code, D3 password.
//
// Every answer is sections divided by "#!#" (section 0 empty); a sign-in answer has ten:
//   1 result:    200|<name>|<registration text>|<model>.inf$<1 or 0>|...   (one per vehicle)
//   2 shared:    <shared value>$<shared flag>
//   3 service:   the service flag (the user's reported consent when there is one)
//   4 the URL of the package information files
//   5 vehicles:  <product line>$<caption>[$<option>...] joined by "|*|" -- or the account
//                letter alone when the answer lists no vehicles
//   6 pictures, 8 device classes, 9 extra entries: joined by "|*|"
//   7 the URL of the pictures
// An H or K account asked with its own brand gets its vehicles in the account check itself, so
// that the client's two requests (check, then list with the brand of the letter) get one
// answer; section 5 then starts with the first product line, which starts with the letter.
// Asked with the other brand, it gets the letter and no vehicles. Other accounts get the letter;
// the unit list of a G account lists its units the same way.
//
// Refusals: an unknown user gets a 200 answer of kind X (no account); a wrong password
// "201|비밀번호가 일치하지 않습니다."; an account with a `result` its code and text.
//
// Thread safety: the answers may be asked for from any thread.
class SignInApi {
public:
    // `accounts` and `consents` must outlive the api.
    SignInApi(const Accounts& accounts, SignInSite site, const ConsentBook& consents);

    // The answers as UTF-8 text (the endpoints send them as CP949).
    std::string AccountCheck(std::string_view user, std::string_view brand,
                             std::string_view password) const;
    std::string UnitList(std::string_view user, std::string_view brand,
                         std::string_view password) const;

    // Adds both endpoints to `server`; the api must outlive it.
    void AddTo(HttpServer& server) const;

private:
    std::string Answer(const Account& account, bool with_vehicles) const;
    const Account* Check(std::string_view user, std::string_view password,
                         std::string& refusal) const;

    const Accounts& accounts_;
    SignInSite site_;
    const ConsentBook& consents_;
};

inline constexpr std::string_view kWrongPasswordText = "비밀번호가 일치하지 않습니다.";

}  // namespace mapvale::servers
