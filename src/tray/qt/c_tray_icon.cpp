#include "tray/qt/c_tray_icon.h"

#include <QAction>
#include <QMenu>

#include "tray/tray_constants.h"

namespace mapvale::tray {

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CTrayIcon::CTrayIcon(Notify notify, Command command, QObject* parent)
    : QObject(parent),
      notify_(std::move(notify)),
      command_(std::move(command)),
      menu_(std::make_unique<QMenu>(Text(kMenuTitle))) {
    menu_->setObjectName(QString::number(kTrayIconId));
    const auto add = [this](QMenu& menu, int id, std::string_view text) {
        QAction* action = menu.addAction(Text(text));
        action->setObjectName(QString::number(id));
        connect(action, &QAction::triggered, this, [this, id] {
            if (command_) {
                command_(id);
            }
        });
        return action;
    };
    menu_->setDefaultAction(add(*menu_, kCommandStartUpdater, kMenuStartUpdater));
    QMenu* version = menu_->addMenu(Text(kMenuVersionTitle));
    version->setObjectName(Text(kMenuVersionTitle));
    add(*version, kCommandVersion, kMenuVersion);
    menu_->addSeparator();
    add(*menu_, kCommandExit, kMenuExit);

    icon_.setContextMenu(menu_.get());
    connect(&icon_, &QSystemTrayIcon::activated, this, &CTrayIcon::OnActivated);
}

CTrayIcon::~CTrayIcon() {
    icon_.hide();
}

bool CTrayIcon::Add(const QString& tip) {
    icon_.setToolTip(tip);
    added_ = true;
    if (!icon_.icon().isNull()) {
        icon_.show();
    }
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void CTrayIcon::SetIcon(const QIcon& icon) {
    icon_.setIcon(icon);
    // Shown only with a picture: a host shows an icon without one as an empty slot.
    if (added_ && !icon.isNull()) {
        icon_.show();
    }
}

void CTrayIcon::Remove() {
    added_ = false;
    icon_.hide();
}

void CTrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    if (!notify_) {
        return;
    }
    // The menu itself is the tray's: right button up only tells the owner.
    if (reason == QSystemTrayIcon::DoubleClick) {
        notify_(kTrayIconId, kWmLButtonDblClk);
    } else if (reason == QSystemTrayIcon::Context) {
        notify_(kTrayIconId, kWmRButtonUp);
    }
}

}  // namespace mapvale::tray
