#include "controls/button_ex.h"

#include "res/pictures.h"

CButtonEx::CButtonEx(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setCursor(HandCursor());
}
