#include "res/pictures.h"

#include <QGuiApplication>
#include <QHash>
#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "res/picture_drawers.h"
#include "res/picture_paint.h"

namespace {

struct PictureEntry {
    int first;
    int last;
    res::PictureType type;
    QPixmap (*draw)(int resourceId);
};

// Every picture the console carries, by resource id.
constexpr std::array kPictures = {
    PictureEntry{res::IDR_STATUS_JPG, res::IDR_STATUS_JPG, res::PictureType::Jpg,
                 DrawStatusPicture},
    PictureEntry{res::IDR_EVENT_JPG, res::IDR_EVENT_JPG, res::PictureType::Jpg, DrawEventPicture},
    PictureEntry{res::IDR_REPORTING_JPG, res::IDR_REPORTING_JPG, res::PictureType::Jpg,
                 DrawReportingPicture},
    PictureEntry{res::IDR_CYCLE_JPG, res::IDR_CYCLE_JPG, res::PictureType::Jpg, DrawCyclePicture},
    PictureEntry{res::IDB_PAGING_FIRST, res::IDB_HEAD_LAST, res::PictureType::Bitmap,
                 DrawEventBitmap},
    PictureEntry{res::IDB_WEEKDAY_PLAIN_FIRST, res::IDB_WEEKDAY_STRIP, res::PictureType::Bitmap,
                 DrawWeekdayBitmap},
    PictureEntry{res::IDB_ACCEPT, res::IDB_ACCEPT_GREY, res::PictureType::Bitmap,
                 DrawAcceptPicture},
};

const PictureEntry* FindEntry(int resourceId) {
    for (const auto& entry : kPictures) {
        if (resourceId >= entry.first && resourceId <= entry.last) {
            return &entry;
        }
    }
    return nullptr;
}

// Kept for the whole run (never destroyed after the application object).
QHash<int, std::vector<textfit::DrawnText>>& TextRecords() {
    static auto* records = new QHash<int, std::vector<textfit::DrawnText>>();
    return *records;
}

}  // namespace

QPixmap LoadPicture(int resourceId) {
    const double ratio = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                             ? qGuiApp->devicePixelRatio()
                             : 1.0;
    return LoadPicture(resourceId, ratio);
}

QPixmap LoadPicture(int resourceId, double ratio) {
    ratio = std::clamp(ratio, 1.0, 8.0);
    // Kept for the whole run (never destroyed after the application object).
    static auto* cache = new QHash<QPair<int, int>, QPixmap>();
    const QPair<int, int> key(resourceId, static_cast<int>(std::lround(ratio * 100)));
    auto cached = cache->constFind(key);
    if (cached != cache->constEnd()) {
        return *cached;
    }
    const PictureEntry* entry = FindEntry(resourceId);
    if (!entry) {
        return QPixmap();
    }
    // A picture may be drawn from another one's drawing: each keeps its own record and ratio.
    std::vector<textfit::DrawnText> texts;
    std::vector<textfit::DrawnText>* outer = textfit::KeepRecord(&texts);
    const double outerRatio = std::exchange(picturepaint::DrawingRatio(), ratio);
    QPixmap picture = entry->draw(resourceId);
    picturepaint::DrawingRatio() = outerRatio;
    textfit::KeepRecord(outer);
    TextRecords().insert(resourceId, std::move(texts));
    cache->insert(key, picture);
    return picture;
}

std::vector<textfit::DrawnText> PictureTexts(int resourceId) {
    if (!TextRecords().contains(resourceId)) {
        LoadPicture(resourceId);
    }
    return TextRecords().value(resourceId);
}

bool HasPicture(int resourceId, res::PictureType type) {
    const PictureEntry* entry = FindEntry(resourceId);
    return entry && entry->type == type;
}

QCursor HandCursor() {
    static const auto* cursor = new QCursor(DrawHandPicture(res::IDC_HAND), 16, 14);
    return *cursor;
}
