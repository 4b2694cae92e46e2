#include "mapvale-servers/accounts.h"

#include <cctype>

#include "mapvale-servers/conf_text.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace mapvale::servers {
namespace {

char UpperFirst(std::string_view text) {
    return text.empty() ? '\0'
                        : static_cast<char>(std::toupper(static_cast<unsigned char>(text.front())));
}

// What a value must not contain, by where the answer puts it.
enum class Place {
    kSection,     // a whole section: only the section separator is out
    kField,       // a '|' field
    kSubField,    // a '$' piece of a '|' field or of a list entry
    kListEntry,   // a '|*|' list entry
    kExtraEntry,  // a list entry made of '|' fields
};

std::string CheckValue(std::string_view value, Place place) {
    if (!platform::Utf8ToCp949(value).ok()) {
        return "the value cannot be written in CP949";
    }
    if (value.find("#!#") != std::string_view::npos) {
        return "the value must not contain \"#!#\"";
    }
    switch (place) {
        case Place::kSection:
            break;
        case Place::kSubField:
            if (value.find('$') != std::string_view::npos) {
                return "the value must not contain '$'";
            }
            [[fallthrough]];
        case Place::kField:
        case Place::kListEntry:
            if (value.find('|') != std::string_view::npos) {
                return "the value must not contain '|'";
            }
            break;
        case Place::kExtraEntry:
            if (value.find('*') != std::string_view::npos) {
                return "the value must not contain '*' (it would split the list)";
            }
            break;
    }
    return {};
}

std::vector<std::string> SplitOptions(std::string_view text) {
    std::vector<std::string> parts;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        std::string_view part = text.substr(0, comma);
        text.remove_prefix(comma == std::string_view::npos ? text.size() : comma + 1);
        while (!part.empty() && part.front() == ' ') {
            part.remove_prefix(1);
        }
        while (!part.empty() && part.back() == ' ') {
            part.remove_suffix(1);
        }
        if (!part.empty()) {
            parts.emplace_back(part);
        }
    }
    return parts;
}

std::string SetAccountKey(Account& account, const ConfLine& line) {
    const std::string& key = line.key;
    const std::string& value = line.value;
    std::string problem;
    if (key == "password") {
        problem = CheckValue(value, Place::kSection);
        account.password = value;
    } else if (key == "letter") {
        problem =
            value.empty() ? "the letter must not be empty" : CheckValue(value, Place::kSection);
        account.letter = value;
    } else if (key == "brand") {
        problem = CheckValue(value, Place::kSection);
        account.brand = value;
    } else if (key == "name") {
        problem = CheckValue(value, Place::kField);
        account.name = value;
    } else if (key == "service") {
        problem = CheckValue(value, Place::kSection);
        account.service = value;
    } else if (key == "registration-text") {
        problem = CheckValue(value, Place::kField);
        account.registration_text = value;
    } else if (key == "shared-value") {
        problem = CheckValue(value, Place::kSubField);
        account.shared_value = value;
    } else if (key == "shared-flag") {
        problem = CheckValue(value, Place::kSubField);
        account.shared_flag = value;
    } else if (key == "result") {
        const std::size_t blank = value.find(' ');
        const std::string code = value.substr(0, blank);
        if (code.size() != 3 || !std::isdigit(static_cast<unsigned char>(code[0])) ||
            !std::isdigit(static_cast<unsigned char>(code[1])) ||
            !std::isdigit(static_cast<unsigned char>(code[2])) || code == "200") {
            return "result wants a three-digit code other than 200, then the text";
        }
        account.result_code = std::stoi(code);
        account.result_text = blank == std::string::npos ? std::string() : value.substr(blank + 1);
        problem = CheckValue(account.result_text, Place::kField);
    } else {
        return "unknown account key \"" + key + "\"";
    }
    return problem;
}

std::string SetVehicleKey(Vehicle& vehicle, const ConfLine& line) {
    const std::string& key = line.key;
    const std::string& value = line.value;
    if (key == "model") {
        if (value.empty() || value.find_first_of(".|$/\\") != std::string::npos) {
            return "a model name must not be empty nor contain '.', '|', '$', '/' or '\\'";
        }
        vehicle.model = value;
        return CheckValue(value, Place::kSubField);
    }
    if (key == "registered") {
        if (value != "0" && value != "1") {
            return "registered wants 0 or 1";
        }
        vehicle.registered = value == "1";
        return {};
    }
    if (key == "product-line") {
        vehicle.product_line = value;
        return CheckValue(value, Place::kSubField);
    }
    if (key == "caption") {
        vehicle.caption = value;
        return CheckValue(value, Place::kSubField);
    }
    if (key == "options") {
        vehicle.options = SplitOptions(value);
        for (const std::string& option : vehicle.options) {
            if (std::string problem = CheckValue(option, Place::kSubField); !problem.empty()) {
                return problem;
            }
        }
        return {};
    }
    if (key == "picture") {
        // Not checked as a file name: a world may hand the client a name it has to refuse.
        vehicle.picture = value;
        return CheckValue(value, Place::kListEntry);
    }
    if (key == "class") {
        vehicle.device_class = value;
        return CheckValue(value, Place::kListEntry);
    }
    if (key == "extra") {
        vehicle.extra = value;
        return CheckValue(value, Place::kExtraEntry);
    }
    return "unknown vehicle key \"" + key + "\"";
}

// The rules that need the whole account.
std::string CheckAccount(Account& account) {
    const char letter = UpperFirst(account.letter);
    if (account.letter.empty()) {
        return "account " + account.user + " has no letter";
    }
    if (letter == 'H' || letter == 'K') {
        const std::string brand = letter == 'H' ? "OV" : "DL";
        if (!account.brand.empty() && account.brand != brand) {
            return "account " + account.user + ": a " + std::string(1, letter) +
                   " account is of brand " + brand;
        }
        account.brand = brand;
        if (!account.vehicles.empty() &&
            account.vehicles.front().product_line.rfind(account.letter.front(), 0) != 0) {
            return "account " + account.user +
                   ": the first vehicle's product line must start with the account letter " +
                   std::string(1, account.letter.front());
        }
    }
    for (const Vehicle& vehicle : account.vehicles) {
        if (vehicle.model.empty()) {
            return "account " + account.user + " has a vehicle without a model";
        }
    }
    return {};
}

}  // namespace

bool Account::IsVehicleAccount() const {
    const char first = UpperFirst(letter);
    return first == 'H' || first == 'K';
}

std::optional<Accounts> Accounts::Parse(std::string_view text, std::string& error) {
    const ConfText conf = ParseConfText(text);
    if (!conf.ok()) {
        error = conf.error;
        return std::nullopt;
    }
    Accounts accounts;
    Account* account = nullptr;
    Vehicle* vehicle = nullptr;
    const auto finish = [&]() -> bool {
        if (account == nullptr) {
            return true;
        }
        error = CheckAccount(*account);
        return error.empty();
    };
    for (const ConfLine& line : conf.lines) {
        if (line.section && line.key == "account") {
            if (!finish()) {
                return std::nullopt;
            }
            if (line.value.empty() || !CheckValue(line.value, Place::kSection).empty()) {
                error = LineError(line.number, "an account needs a user id in CP949 text");
                return std::nullopt;
            }
            if (accounts.index_.count(line.value) != 0) {
                error = LineError(line.number, "user " + line.value + " is listed twice");
                return std::nullopt;
            }
            accounts.index_.emplace(line.value, accounts.accounts_.size());
            accounts.accounts_.emplace_back();
            account = &accounts.accounts_.back();
            account->user = line.value;
            vehicle = nullptr;
        } else if (line.section && line.key == "vehicle") {
            if (account == nullptr) {
                error = LineError(line.number, "a vehicle must follow its account");
                return std::nullopt;
            }
            account->vehicles.emplace_back();
            vehicle = &account->vehicles.back();
        } else if (line.section) {
            error = LineError(line.number, "unknown section [" + line.key + "]");
            return std::nullopt;
        } else if (account == nullptr) {
            error = LineError(line.number, "a key outside any [account]");
            return std::nullopt;
        } else {
            const std::string problem =
                vehicle != nullptr ? SetVehicleKey(*vehicle, line) : SetAccountKey(*account, line);
            if (!problem.empty()) {
                error = LineError(line.number, problem);
                return std::nullopt;
            }
        }
    }
    if (!finish()) {
        return std::nullopt;
    }
    return accounts;
}

std::optional<Accounts> Accounts::Load(const std::string& path, std::string& error) {
    const auto text = platform::ReadWholeFile(path);
    if (!text) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    auto accounts = Parse(*text, error);
    if (!accounts) {
        error = path + ": " + error;
    }
    return accounts;
}

const Account* Accounts::Find(std::string_view user) const {
    const auto found = index_.find(user);
    return found == index_.end() ? nullptr : &accounts_[found->second];
}

}  // namespace mapvale::servers
