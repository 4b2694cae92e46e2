#include "update/tray_self_update.h"

namespace mapvale::update {

int RunTraySelfUpdate(UpdateSetup setup) {
    setup.role = UpdateRole::kTrayAgent;
    UpdateJob job(std::move(setup));
    if (job.Check() != UpdateJob::kCheckUpdatesListed) {
        return 0;
    }
    return job.Run() == UpdateJob::kRunCancelled ? 0 : 1;
}

}  // namespace mapvale::update
