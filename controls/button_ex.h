// CButtonEx: a push button that shows the hand cursor while the mouse is over it.
#pragma once

#include <QPushButton>

class CButtonEx : public QPushButton {
    Q_OBJECT
public:
    explicit CButtonEx(const QString& text = QString(), QWidget* parent = nullptr);
};
