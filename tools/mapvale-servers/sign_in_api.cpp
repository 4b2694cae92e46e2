#include "mapvale-servers/sign_in_api.h"

#include <cctype>

#include "mapvale-servers/http_server.h"
#include "mapvale-servers/request_parameters.h"

namespace mapvale::servers {
namespace {

constexpr std::string_view kSection = "#!#";
constexpr std::string_view kList = "|*|";

template <typename Part>
std::string JoinList(const std::vector<Vehicle>& vehicles, const Part& part) {
    std::string out;
    for (std::size_t i = 0; i < vehicles.size(); ++i) {
        if (i != 0) {
            out += kList;
        }
        out += part(vehicles[i]);
    }
    return out;
}

std::string ProductEntry(const Vehicle& vehicle) {
    std::string entry = vehicle.product_line + "$" + vehicle.caption;
    for (const std::string& option : vehicle.options) {
        entry += "$" + option;
    }
    return entry;
}

}  // namespace

SignInApi::SignInApi(const Accounts& accounts, SignInSite site, const ConsentBook& consents)
    : accounts_(accounts), site_(std::move(site)), consents_(consents) {}

const Account* SignInApi::Check(std::string_view user, std::string_view password,
                                std::string& refusal) const {
    const Account* account = accounts_.Find(user);
    if (account == nullptr) {
        // No such account: the kind X answer, in the shape of every other answer.
        refusal = std::string(kSection) + "200||" + std::string(kSection) + std::string(kSection) +
                  std::string(kSection) + std::string(kSection) + "X";
        return nullptr;
    }
    if (account->password != password) {
        refusal = std::string(kSection) + "201|" + std::string(kWrongPasswordText);
        return nullptr;
    }
    if (account->result_code) {
        refusal = std::string(kSection) + std::to_string(*account->result_code) + "|" +
                  account->result_text;
        return nullptr;
    }
    return account;
}

std::string SignInApi::Answer(const Account& account, bool with_vehicles) const {
    static const std::vector<Vehicle> kNone;
    const std::vector<Vehicle>& vehicles = with_vehicles ? account.vehicles : kNone;
    std::string result = "200|" + account.name + "|" + account.registration_text;
    for (const Vehicle& vehicle : vehicles) {
        result += "|" + vehicle.model + ".inf$" + (vehicle.registered ? "1" : "0");
    }
    const std::string service = consents_.Find(account.user).value_or(account.service);
    const std::string sections[] = {
        {},
        result,
        account.shared_value + "$" + account.shared_flag,
        service,
        site_.information_root,
        vehicles.empty() ? account.letter : JoinList(vehicles, ProductEntry),
        JoinList(vehicles, [](const Vehicle& v) { return v.picture; }),
        site_.picture_root,
        JoinList(vehicles, [](const Vehicle& v) { return v.device_class; }),
        JoinList(vehicles, [](const Vehicle& v) { return v.extra; }),
    };
    std::string answer;
    for (std::size_t i = 0; i < std::size(sections); ++i) {
        if (i != 0) {
            answer += kSection;
        }
        answer += sections[i];
    }
    return answer;
}

std::string SignInApi::AccountCheck(std::string_view user, std::string_view brand,
                                    std::string_view password) const {
    std::string refusal;
    const Account* account = Check(user, password, refusal);
    if (account == nullptr) {
        return refusal;
    }
    return Answer(*account, account->IsVehicleAccount() && brand == account->brand);
}

std::string SignInApi::UnitList(std::string_view user, std::string_view /*brand*/,
                                std::string_view password) const {
    std::string refusal;
    const Account* account = Check(user, password, refusal);
    if (account == nullptr) {
        return refusal;
    }
    const bool units = !account->letter.empty() &&
                       std::toupper(static_cast<unsigned char>(account->letter.front())) == 'G';
    return Answer(*account, units);
}

void SignInApi::AddTo(HttpServer& server) const {
    server.AddHandler("/WMK/WMKChkRegist.mms", [this](const httplib::Request& request,
                                                      httplib::Response& response) {
        const RequestParameters parameters(request);
        SetCp949Answer(response, AccountCheck(parameters.Get("D1"), parameters.Get("D2"),
                                              parameters.Get("D3")));
    });
    server.AddHandler("/WMK/orlaWMKChkRegist.mms", [this](const httplib::Request& request,
                                                          httplib::Response& response) {
        const RequestParameters parameters(request);
        SetCp949Answer(response,
                       UnitList(parameters.Get("D1"), parameters.Get("D2"), parameters.Get("D3")));
    });
}

}  // namespace mapvale::servers
