#pragma once

// The controller's tests' world (stand-in servers, program folder, settings, virtual cards, fake
// clock) with the real Qt front end instead of the scripted one.

#include <QAbstractButton>
#include <QComboBox>
#include <QMessageBox>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "app/text_scrambler.h"
#include "controller/frame_fixture.h"
#include "ui/frame_pump.h"
#include "ui/qt_frame_ui.h"
#include "ui/skin/image_button.h"
#include "ui/when_modal_opens.h"

namespace mapvale::ui::test {

class QtFrameTest : public controller::test::FrameTest {
protected:
    void TearDown() override {
        // The frame talks to the front end while it is destroyed.
        if (frame_) {
            frame_->Destroy();
            frame_.reset();
        }
        qt_ui_.reset();
    }

    // Stores an account that signs in by itself, as a user who chose so.
    void StoreAutomaticSignIn(const std::string& user = "hong",
                              const std::string& password = "1234") {
        profile_.WriteProfileString("USER", "ID", user);
        profile_.WriteProfileString("USER", "INFO", app::ScrambleText(user + ":" + password));
        profile_.WriteProfileInt("USER", "SAVE", 1);
        profile_.WriteProfileInt("USER", "AUTO", 1);
    }

    controller::CMainFrame& MakeQtFrame(std::vector<std::string> arguments = {}) {
        qt_ui_ = std::make_unique<QtFrameUi>(pump_, registry_);
        qt_ui_->SetDesktop([this](const std::string& target) { opened_.push_back(target); },
                           [this](const std::string& path) { started_.push_back(path); });
        qt_ui_->UseQtFolderChooser(true);
        frame_ = std::make_unique<controller::CMainFrame>(*qt_ui_, pump_,
                                                          Services(std::move(arguments)));
        qt_ui_->Attach(*frame_);
        pump_.SetHandler([this](const platform::Message& message) {
            handled_.push_back(message);
            frame_->HandleMessage(message.message, message.w_param, message.l_param);
        });
        return *frame_;
    }

    // Served world, automatic sign-in, start-up done: the option screen is up.
    controller::CMainFrame& StartedQtFrame() {
        Serve();
        StoreAutomaticSignIn();
        controller::CMainFrame& frame = MakeQtFrame();
        frame.OnCreate();
        return frame;
    }

    // The control `id` of a window or page (a test failure when there is none).
    template <typename Control>
    static Control* Find(QWidget* window, int id) {
        auto* control = window->findChild<Control*>(QString::number(id));
        EXPECT_NE(control, nullptr) << "control " << id;
        return control;
    }
    // A click on the image button `id`, as the user makes it.
    static void Click(QWidget* window, int id) {
        CImageButton* button = Find<CImageButton>(window, id);
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(3, 3));
    }
    // Picks row `row` of a box as the user does.
    static void Choose(QWidget* window, int id, int row) {
        QComboBox* box = Find<QComboBox>(window, id);
        ASSERT_NE(box, nullptr);
        box->setCurrentIndex(row);
        emit box->activated(row);
    }

    // Presses the button of the open box labelled `label`.
    static void Press(QMessageBox* box, const QString& label) {
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == label) {
                button->click();
                return;
            }
        }
        ADD_FAILURE() << "no button " << label.toStdString();
        box->reject();
    }

    ScreenRegistry registry_ = ScreenRegistry::WithPlaceholders();
    FramePump pump_;
    std::unique_ptr<QtFrameUi> qt_ui_;
    std::vector<platform::Message> handled_;
    std::vector<std::string> opened_;
    std::vector<std::string> started_;
};

}  // namespace mapvale::ui::test
