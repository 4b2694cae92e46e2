// The world's map page in the map panel: its theme button reaches the controller's
// "ThemeDownload" through window.external, and the controller's closeUI reaches the page.
#include <gtest/gtest.h>

#include <QMessageBox>

#include "model/script_arguments.h"
#include "platform/files.h"
#include "ui/qt_frame_fixture.h"
#include "ui/wait_for.h"
#include "ui/web/program_functions.h"
#include "ui/web/web.h"
#include "ui/web/web_environment.h"
#include "ui/web/web_panels.h"
#include "ui/web/web_test_support.h"

namespace mapvale::ui::test {
namespace {

using mapvale::testing::RunScript;
using mapvale::testing::WaitFor;
using mapvale::testing::WaitForScript;
using mapvale::testing::WhenModalOpens;

TEST_F(QtFrameTest, TheMapPagesThemeButtonPutsTheThemeOnTheCardAndClosesItsChooser) {
    const std::string card = InsertCard('E', "1G");
    controller::CMainFrame& frame = StartedQtFrame();
    frame.HandleMessage(kMsgDriveChange, kDriveArrived | static_cast<platform::WParam>('E'), 1);
    frame.SelectDevice(Device("HS200"));
    frame.SelectDrive('E');
    ASSERT_EQ(frame.state().selected_drive, 'E');

    UpdaterScriptHandlers handlers;
    handlers.theme_download = [&frame](const std::vector<ScriptValue>& arguments) {
        return frame.DownloadTheme(arguments);
    };
    const ScriptFunctionList functions = UpdaterScriptFunctions(std::move(handlers));
    WebEnvironment environment;
    environment.functions = &functions;
    environment.trusted_hosts = {QString::fromStdString(server_->address())};
    SetWebEnvironment(environment);

    CDlgMap map(nullptr, frame.state().servers, "H");
    qt_ui_->SetMapPanel(map.browser());
    map.Activate();
    ASSERT_TRUE(WaitForScript(*map.browser(), "document.getElementById('theme-101') !== null"));

    QString said;
    QString caption;
    auto answer = WhenModalOpens<QMessageBox>([&](QMessageBox* box) {
        said = box->text();
        caption = box->windowTitle();
        Press(box, QStringLiteral("확인"));
    });
    RunScript(*map.browser(), "document.getElementById('theme-101').click()");
    EXPECT_TRUE(WaitFor([&] { return !caption.isEmpty(); }, 30000));
    EXPECT_EQ(caption, QStringLiteral("처리 완료"));
    EXPECT_EQ(said, QStringLiteral("다운로드 후 메모리카드에 복사를 완료하였습니다."));
    EXPECT_TRUE(platform::FileExists(card + "Swiftpath_OrLa/UserData/Theme/ThemeFile.bin"));
    // The page heard closeUI with its button's argument before the box, and hid the chooser.
    EXPECT_TRUE(WaitForScript(*map.browser(), "window.mapCalls.indexOf('closeUI(1)') >= 0"));
    EXPECT_EQ(RunScript(*map.browser(), "document.getElementById('themes').style.display"),
              QStringLiteral("none"));
    SetWebEnvironment(WebEnvironment{});
}

}  // namespace
}  // namespace mapvale::ui::test
