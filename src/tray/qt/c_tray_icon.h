#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>
#include <cstdint>
#include <functional>
#include <memory>

class QMenu;

namespace mapvale::tray {

// The agent's icon in the panel's tray, with its tip and its menu: "Orvin Dalmar Waymark+ 실행
// (&S)" (32776, the default item), the submenu "버전 정보" holding "Version 1.0.0.0" (32778), a
// separator and "종료 (&X)" (32774). Every item's object name is its command.
//
// A double-click reaches the owner as the icon's notification (icon 133, a left double-click);
// an item chosen from the menu as its command.
class CTrayIcon final : public QObject {
    Q_OBJECT

public:
    using Notify = std::function<void(std::uint32_t icon_id, std::uint32_t mouse_message)>;
    using Command = std::function<void(int command)>;

    CTrayIcon(Notify notify, Command command, QObject* parent = nullptr);
    ~CTrayIcon() override;

    // Takes the tip; the icon appears with its picture (SetIcon). False when no tray host is
    // there now: the icon is kept and shows when a host appears.
    bool Add(const QString& tip);
    void SetIcon(const QIcon& icon);
    void Remove();
    bool Added() const { return added_; }

    QSystemTrayIcon& icon() { return icon_; }
    QMenu* menu() const { return menu_.get(); }

private:
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

    Notify notify_;
    Command command_;
    std::unique_ptr<QMenu> menu_;
    QSystemTrayIcon icon_;
    bool added_ = false;
};

}  // namespace mapvale::tray
