#pragma once

#include <QLabel>

namespace mapvale::ui {

// A label on a white background. Its text is always plain text, whoever provides it.
class CStaticColor : public QLabel {
    Q_OBJECT

public:
    CStaticColor(int id, QWidget* parent);
};

}  // namespace mapvale::ui
