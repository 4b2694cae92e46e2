#include "catalog/card_comparison.h"
#include "catalog/version_file.h"
#include "net/version_request.h"
#include "tray/popup_text.h"
#include "tray/tray_agent.h"
#include "tray/tray_constants.h"

namespace mapvale::tray {

// The card check: the card's version file, the server's answer about its package (asked once a
// run while the package is available), the comparison, and what the user is shown.
void TSKN_CRozavIzivDlg::CheckCard(const CardInfo& card) {
    notification_mode_ = NotificationMode();
    if (notification_mode_ == 2) {
        return;
    }
    card_header_ = catalog::ReadCardHeader(card.product_folder, card.model_name);
    if (!card_header_ || card_header_->package_name.empty()) {
        return;
    }
    const std::string& package = card_header_->package_name;
    std::string address;
    if (const CachedAnswer* cached = answer_cache_.Find(package)) {
        address = cached->package_info_address;
    } else {
        const auto answer = net::RequestVersion(Web(), servers_, package);
        if (!answer) {
            return;
        }
        if (answer->InMaintenance()) {
            ui_.ShowPopup(kPopupMaintenance, PopupText(kPopupMaintenance), notification_mode_);
            return;
        }
        answer_cache_.Add({package, card_header_->version_label, answer->server_version,
                           answer->status, answer->package_info_address});
        address = answer->package_info_address;
    }
    const std::vector<FileEntry> entries = catalog::FetchPackageFileEntries(Web(), address);
    const bool up_to_date = catalog::IsCardUpToDate(
        entries, catalog::VersionFilePath(card.product_folder, card.model_name), package);
    if (up_to_date) {
        ui_.ShowPopup(kPopupLatest, PopupText(kPopupLatest), notification_mode_);
    } else if (notification_mode_ == 0) {
        StartUpdater(kModeSystray);
    } else {
        ui_.ShowPopup(kPopupNeedsUpdate, PopupText(kPopupNeedsUpdate), notification_mode_);
    }
}

}  // namespace mapvale::tray
