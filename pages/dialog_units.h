// Dialog units to pixels, in one place. The device pages are laid out in "Arial" 10 units, the
// dialogs (password, page host) in "MS Shell Dlg" 8 units; these factors put every control where
// its picture expects it.
#pragma once

#include <QRect>
#include <QSize>
#include <cmath>

namespace dlgunits {

// "Arial" 10 page templates.
constexpr double kPageX = 1.75;
constexpr double kPageY = 2.0;
// "MS Shell Dlg" 8 dialog templates.
constexpr double kDialogX = 1.5;
constexpr double kDialogY = 1.625;

inline int Scale(int units, double factor) {
    return static_cast<int>(std::lround(units * factor));
}

// x, y, width, height in page units to a pixel rectangle.
inline QRect PageRect(int x, int y, int w, int h) {
    return QRect(Scale(x, kPageX), Scale(y, kPageY), Scale(w, kPageX), Scale(h, kPageY));
}
inline QSize PageSize(int w, int h) {
    return QSize(Scale(w, kPageX), Scale(h, kPageY));
}

// x, y, width, height in dialog units to a pixel rectangle.
inline QRect DialogRect(int x, int y, int w, int h) {
    return QRect(Scale(x, kDialogX), Scale(y, kDialogY), Scale(w, kDialogX), Scale(h, kDialogY));
}
inline QSize DialogSize(int w, int h) {
    return QSize(Scale(w, kDialogX), Scale(h, kDialogY));
}

// A rectangle given as left, top, right, bottom (Windows style, right and bottom exclusive).
inline QRect FromLTRB(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

}  // namespace dlgunits
