// Small operator actions on widgets for tests: whether a control stands on screen, and a left
// button press at its centre (the console's clickable statics act on the press).
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

inline bool Shown(const QWidget* widget) {
    return !widget->isHidden();
}

inline void Click(QWidget* widget) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}
