// The drawing functions behind LoadPicture, one per picture file; listed by id in pictures.cpp.
#pragma once

#include <QPixmap>

// 172: the Status page background, 726 x 512.
QPixmap DrawStatusPicture(int resourceId);
// 221: the Cycle Set Up page background, 726 x 512.
QPixmap DrawCyclePicture(int resourceId);
// 175: the Reporting Set Up page background, 726 x 512.
QPixmap DrawReportingPicture(int resourceId);
// 174: the Event page background, 726 x 512.
QPixmap DrawEventPicture(int resourceId);
// 176..179: the Event page's paging buttons (80 x 30); 180..191: its column heads.
QPixmap DrawEventBitmap(int resourceId);
// 192..201: the weekday letters, plain (192..196) and highlighted (197..201); 202: the strip.
QPixmap DrawWeekdayBitmap(int resourceId);
// 204: "Accept" in blue, underlined (93 x 25); 205: the same word greyed (91 x 28).
QPixmap DrawAcceptPicture(int resourceId);
// 149: the open hand of the cursor, 32 x 32.
QPixmap DrawHandPicture(int resourceId);
