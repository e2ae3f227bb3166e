// The console's pictures, drawn by our own code with QPainter at the sizes the pages expect:
// the page backgrounds (JPG resources 172, 174, 175, 221), the bitmaps (176 to 205) and the hand
// cursor 149. Each page's pictures are drawn in their own file (status_picture.cpp, ...) and listed
// by id in pictures.cpp.
//
// UI thread only (pixmaps belong to the GUI thread). Pictures are drawn once and cached.
#pragma once

#include <QCursor>
#include <QPixmap>
#include <vector>

#include "res/fit_text.h"

namespace res {

// Page backgrounds ("JPG" resources).
constexpr int IDR_STATUS_JPG = 172;
constexpr int IDR_EVENT_JPG = 174;
constexpr int IDR_REPORTING_JPG = 175;
constexpr int IDR_CYCLE_JPG = 221;
// Event page: paging buttons 176..179 (First, Prev, Next, Last Page), column heads 180..191 (Dryer,
// Event, Date, Time; each plain, with an up arrow, with a down arrow).
constexpr int IDB_PAGING_FIRST = 176;
constexpr int IDB_HEAD_LAST = 191;
// Status page weekday strip: 192..196 plain letters M T W T F, 197..201 the same highlighted,
// 202 the strip background with all five letters plain.
constexpr int IDB_WEEKDAY_PLAIN_FIRST = 192;
constexpr int IDB_WEEKDAY_LIT_FIRST = 197;
constexpr int IDB_WEEKDAY_STRIP = 202;
// The "Accept" button pictures: 204 enabled, 205 greyed.
constexpr int IDB_ACCEPT = 204;
constexpr int IDB_ACCEPT_GREY = 205;
// The open-hand cursor of links, buttons and the tab strip.
constexpr int IDC_HAND = 149;

enum class PictureType { Jpg, Bitmap };

}  // namespace res

// The picture `resourceId`, or a null pixmap when the console has no such picture. It is drawn for
// a screen of `ratio` device pixels per pixel (by default the highest ratio of the screens), so
// that it stays sharp on a HiDPI screen; its deviceIndependentSize() is the size the pages expect.
QPixmap LoadPicture(int resourceId);
QPixmap LoadPicture(int resourceId, double ratio);
// The texts picture `resourceId` carries (its labels, column heads, captions), each with its cell
// and the font it was drawn in after shrinking to fit.
std::vector<textfit::DrawnText> PictureTexts(int resourceId);
// True when `resourceId` is a picture of that type (a background is a "JPG", the rest bitmaps).
bool HasPicture(int resourceId, res::PictureType type);
// Cursor 149: an open hand, 32 x 32, hot spot (16, 14).
QCursor HandCursor();
