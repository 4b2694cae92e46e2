// The controller around the server: sign-in and what follows it (traffic consent, the monthly
// reminder, the versions of every device), and the rotating banners.

#include "app/constants.h"
#include "app/picture_folder.h"
#include "app/settings_io.h"
#include "catalog/package_step.h"
#include "catalog/pc_state.h"
#include "controller/controller_texts.h"
#include "controller/main_frame.h"
#include "controller/traffic_reminder.h"
#include "net/sign_in.h"
#include "net/traffic_consent.h"

namespace mapvale::controller {

namespace {

constexpr int kTimerS = 1;
constexpr int kTimerE = 2;

}  // namespace

int CMainFrame::RunSignIn(const std::string& user_id, const std::string& brand_code,
                          const std::string& password) {
    // The device list is replaced below, and a running job works on one of its devices.
    if (state_.job_running != 0 && !AskToStopJob()) {
        state_.sign_in_error = kTextCannotStop;
        return 0;
    }
    net::SignInResult result;
    result.owner = &window_;
    PackageInfo context;
    const auto pump = [this] { ui_.ProcessPendingMessages(); };
    net::SignInHooks hooks;
    hooks.pump_messages = pump;
    hooks.message_box = [this](std::string_view text) { Ask(text, "", Buttons::kOk, Icon::kNone); };
    hooks.package_step = [&](std::list<DeviceEntry>& devices) {
        return catalog::RunPackageStep(context, &window_, result.cancel, devices, state_.categories,
                                       pump);
    };
    // A failed attempt keeps the devices, user and consent of the last one.
    std::list<DeviceEntry> devices;
    const std::string pictures = app::ProductPictureFolder(state_.settings.program_folder,
                                                           services_.picture_cache_folder.empty()
                                                               ? app::PictureCacheFolder()
                                                               : services_.picture_cache_folder,
                                                           services_.may_write_folder);
    const int signed_in = net::SignIn(result, devices, user_id, brand_code, password, pictures,
                                      state_.servers, web_, hooks);
    if (signed_in != 1) {
        state_.sign_in_error = result.message;
        if (user_id.empty()) {
            state_.sign_in_error = kTextEnterId;
        } else if (password.empty()) {
            state_.sign_in_error = kTextEnterPassword;
        }
        return 0;
    }
    state_.selected_device = nullptr;
    state_.devices = std::move(devices);
    state_.account_kind = result.account_kind;
    state_.account_text = result.account_text;
    app::AppSettings& settings = state_.settings;
    settings.user_id = user_id;
    settings.password = password;
    settings.company = brand_code;

    SettleTrafficConsent(result.service_flag);
    if (settings.traffic_consent != 1) {
        RemindAboutTrafficService();
    }
    ReadDeviceVersions();
    return 1;
}

void CMainFrame::SettleTrafficConsent(const std::string& service_flag) {
    app::AppSettings& settings = state_.settings;
    const std::string section = app::UserSection(settings.user_id);
    const char flag = service_flag.empty() ? '\0' : service_flag.front();
    if (flag == 'T' || flag == 't') {
        settings.traffic_consent = 1;
    } else if (flag == 'F' || flag == 'f') {
        settings.traffic_consent = 0;
    } else {
        settings.traffic_consent = settings.traffic_default;
        net::ReportTrafficConsent(settings.user_id, settings.traffic_consent == 1, web_,
                                  state_.servers);
        profile_.WriteProfileInt(section, "TRAFFIC_LAST_ACK", settings.traffic_consent);
        settings.traffic_last_ack = settings.traffic_consent;
        WriteTrafficNoticeDate();
    }
    if (settings.traffic_consent == 0 && settings.consent_from_command_line == 0) {
        if (profile_.GetProfileInt(section, "TRAFFIC_ALREADY_POP", 0) == 0) {
            if (ui_.RunReconsentDialog()) {
                profile_.WriteProfileInt(section, "TRAFFIC_ALREADY_POP", 1);
                settings.traffic_popup_shown = 1;
            }
            WriteTrafficNoticeDate();
        }
    }
}

int CMainFrame::ApplyTrafficChoice(net::TrafficChoice choice) {
    return net::ApplyTrafficChoice(
        choice, state_.settings, profile_, clock_, [this](std::string_view user, bool agreed) {
            return net::ReportTrafficConsent(user, agreed, web_, state_.servers);
        });
}

void CMainFrame::RemindAboutTrafficService() {
    const std::string section = app::UserSection(state_.settings.user_id) + "\\TRA_NOTI_TIME\\";
    const int year = profile_.GetProfileInt(section, "YEAR", 0);
    const int month = profile_.GetProfileInt(section, "MON", 0);
    const int day = profile_.GetProfileInt(section, "DAY", 0);
    if (TrafficReminderDue(year, month, day, clock_.LocalNow())) {
        ui_.OpenWithDesktop(ContentUrl(kTrafficServicePage));
        WriteTrafficNoticeDate();
    }
}

void CMainFrame::WriteTrafficNoticeDate() {
    net::WriteTrafficNoticeDate(profile_, state_.settings.user_id, clock_.LocalNow());
}

void CMainFrame::ReadDeviceVersions() {
    const net::ServerVersions& versions = state_.server_versions;
    for (DeviceEntry& device : state_.devices) {
        catalog::ReadPcState(device, state_.settings.data_folder + device.model_name + "/");
        if (device.kind == 2) {
            device.server_map_version = versions.tarno_map_version;
            device.server_second_version = versions.tarno_camera_version;
            device.server_version_label = versions.tarno_version_text;
        } else {
            device.server_map_version = versions.orla_map_version;
            device.server_second_version = versions.orla_camera_version;
            device.server_version_label = versions.orla_version_text;
        }
    }
}

// --- Banners ---

void CMainFrame::LoadBanners() {
    const DeviceEntry* device = state_.selected_device;
    const std::string_view path =
        device == nullptr || device->kind == 8 ? kBannerFileOrla : kBannerFileTarno;
    net::WebResponse answer;
    web_.ClearParameters();
    const std::string host = state_.servers.HostText(ServerConfig::kContent);
    if (!host.empty() && web_.SendRequest(host, path, answer, 80, "GET", false) == 1) {
        state_.banners = ParseBannerFile(answer.Text(), state_.settings.user_id);
    } else if (const std::string portal_host = state_.servers.HostText(ServerConfig::kPortalStart);
               !portal_host.empty()) {
        const std::string portal = "http://" + portal_host + "/";
        const BannerEntry fallback{portal, kFallbackBannerSeconds};
        state_.banners = BannerLists{{fallback}, {fallback}, portal};
    } else {
        state_.banners = {};  // no page to fall back on: no banner, no timers
    }
    ui_.KillTimer(kTimerS);
    ui_.KillTimer(kTimerE);
    state_.current_s.clear();
    state_.current_e.clear();
    // A list without entries leaves its timer unset.
    if (!state_.banners.s.empty()) {
        state_.current_s = state_.banners.s.front().url;
        ui_.SetTimer(kTimerS, state_.banners.s.front().seconds * 1000);
    }
    if (!state_.banners.e.empty()) {
        state_.current_e = state_.banners.e.front().url;
        ui_.SetTimer(kTimerE, state_.banners.e.front().seconds * 1000);
    }
    if (state_.main_screen) {
        ui_.NavigateBanner(device != nullptr ? state_.current_s : ContentUrl(kDefaultBannerPage));
    }
}

void CMainFrame::OnTimer(int id) {
    if (id != kTimerS && id != kTimerE) {
        return;
    }
    const std::vector<BannerEntry>& list = id == kTimerS ? state_.banners.s : state_.banners.e;
    std::string& current = id == kTimerS ? state_.current_s : state_.current_e;
    const BannerEntry* next = NextBanner(list, current);
    if (next == nullptr) {
        ui_.KillTimer(id);
        return;
    }
    current = next->url;
    ui_.SetTimer(id, next->seconds * 1000);
    if (id == kTimerS && state_.main_screen) {
        ui_.NavigateBanner(state_.selected_device != nullptr ? state_.current_s
                                                             : ContentUrl(kDefaultBannerPage));
    }
}

}  // namespace mapvale::controller
