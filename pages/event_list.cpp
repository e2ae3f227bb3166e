#include "pages/event_list.h"

namespace {

// Bitmaps of each sort key's head: not selected, selected with direction 1, with direction 0.
constexpr int kVariantPlain = 0;
constexpr int kVariantDir1 = 1;
constexpr int kVariantDir0 = 2;
constexpr int kFirstBitmapOfKey[4] = {0, 183, 180, 186};  // index: sort key 1..3
constexpr int kHeadOfKey[4] = {0, kHeadEvent, kHeadDryer, kHeadDate};
// The Time head shows the Date head's picture plus this.
constexpr int kTimeHeadOffset = 3;

}  // namespace

int EventSortHeads::KeyOfHead(int headId) {
    return headId == kHeadTime ? 3 : headId - kFirstHead + 1;
}

void EventSortHeads::SetKeyBitmap(int key, int variant) {
    m_bitmaps[kHeadOfKey[key] - kFirstHead] = kFirstBitmapOfKey[key] + variant;
}

void EventSortHeads::ShowDefaults() {
    SetKeyBitmap(1, kVariantPlain);
    SetKeyBitmap(2, kVariantPlain);
    SetKeyBitmap(3, kVariantDir0);
    m_bitmaps[kHeadTime - kFirstHead] = Bitmap(kHeadDate) + kTimeHeadOffset;
}

void EventSortHeads::Click(int headId) {
    const int key = KeyOfHead(headId);
    if (key == m_nSortKey) {
        m_nSortDir = m_nSortDir == 1 ? 0 : 1;
        SetKeyBitmap(key, m_nSortDir == 1 ? kVariantDir1 : kVariantDir0);
    } else {
        m_nSortKey = static_cast<uint8_t>(key);
        m_nSortDir = 1;
        for (int k = 1; k <= 3; ++k) {
            SetKeyBitmap(k, k == key ? kVariantDir1 : kVariantPlain);
        }
    }
    m_bitmaps[kHeadTime - kFirstHead] = Bitmap(kHeadDate) + kTimeHeadOffset;
}
