#include "catalog/progress_filter.h"

#include "model/messages.h"

namespace mapvale::catalog {

void ProgressFilter::Rearm() {
    std::lock_guard lock(mutex_);
    file_floor_ = 0;
    package_floor_ = 0;
}

void ProgressFilter::Post(std::uint32_t message, platform::WParam w_param,
                          platform::LParam l_param) {
    if (target_ == nullptr) {
        return;
    }
    if (message == kMsgDownloadFileProgress || message == kMsgDownloadProgress) {
        std::lock_guard lock(mutex_);
        platform::WParam& floor =
            message == kMsgDownloadFileProgress ? file_floor_ : package_floor_;
        if (w_param < floor) {
            return;
        }
        floor = w_param;
    }
    target_->Post(message, w_param, l_param);
}

}  // namespace mapvale::catalog
