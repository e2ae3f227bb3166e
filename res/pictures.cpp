#include "res/pictures.h"

#include <QHash>
#include <array>

#include "res/picture_drawers.h"

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

}  // namespace

QPixmap LoadPicture(int resourceId) {
    // Kept for the whole run (never destroyed after the application object).
    static auto* cache = new QHash<int, QPixmap>();
    auto cached = cache->constFind(resourceId);
    if (cached != cache->constEnd()) {
        return *cached;
    }
    const PictureEntry* entry = FindEntry(resourceId);
    if (!entry) {
        return QPixmap();
    }
    QPixmap picture = entry->draw(resourceId);
    cache->insert(resourceId, picture);
    return picture;
}

bool HasPicture(int resourceId, res::PictureType type) {
    const PictureEntry* entry = FindEntry(resourceId);
    return entry && entry->type == type;
}

QCursor HandCursor() {
    static const auto* cursor = new QCursor(DrawHandPicture(res::IDC_HAND), 16, 14);
    return *cursor;
}
