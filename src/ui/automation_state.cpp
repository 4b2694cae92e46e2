#include "ui/automation_state.h"

#include <QCoreApplication>

#include "controller/main_frame.h"

namespace mapvale::ui {

QJsonObject DescribeFrameState(const controller::CMainFrame* frame) {
    const qint64 pid = QCoreApplication::applicationPid();
    if (frame == nullptr) {
        return {{QStringLiteral("frame"), false}, {QStringLiteral("pid"), pid}};
    }
    const controller::ControllerState& state = frame->state();
    QJsonObject out{
        {QStringLiteral("frame"), true},
        {QStringLiteral("pid"), pid},
        {QStringLiteral("closed"), frame->closed()},
        {QStringLiteral("screen"), state.screen_number},
        {QStringLiteral("wizard"), state.wizard_screen},
        {QStringLiteral("main"), state.main_screen},
        {QStringLiteral("sign_in_open"), state.sign_in_dialog_open},
        {QStringLiteral("job_running"), state.job_running},
        {QStringLiteral("user"), QString::fromStdString(state.settings.user_id)},
        {QStringLiteral("data_folder"), QString::fromStdString(state.settings.data_folder)},
        {QStringLiteral("drive"),
         state.selected_drive != 0 ? QString(QLatin1Char(state.selected_drive)) : QString()},
    };
    if (const DeviceEntry* device = state.selected_device) {
        out.insert(QStringLiteral("device"), QString::fromStdString(device->model_name));
        out.insert(QStringLiteral("job_state"), device->job_state);
        out.insert(QStringLiteral("install_type"), device->install_type);
        out.insert(QStringLiteral("download_percent"), device->download_percent);
        out.insert(QStringLiteral("install_percent"), device->install_percent);
    }
    return out;
}

}  // namespace mapvale::ui
