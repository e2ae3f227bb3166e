#include "pages/event_list.h"

#include <algorithm>

#include "pages/split_fields.h"

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

std::string BuildEventRequest(int a, int b) {
    if (a == 0) {
        return "/61.htm?val=0-0\r";
    }
    if (b == -1) {
        return "/61.htm?val=0-" + std::to_string(a) + "\r";
    }
    return "/61.htm?val=" + std::to_string(a) + "-" + std::to_string(b) + "\r";
}

EventScreen ParseEventReply(const std::string& text) {
    const Fields100 lines = SplitFields<100>(text, "\r\n");
    // Lines 0..n exist, n being the number of line ends in the text (at most the array's room).
    int lineEnds = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) {
        ++lineEnds;
    }
    const int events = std::min(lineEnds, int(lines.size()) - 1);

    EventScreen screen;
    const std::string& header = lines[0];
    const size_t comma = header.find(',');
    if (comma == std::string::npos) {
        screen.label = " of " + header;
    } else {
        screen.label = header.substr(0, comma) + " of " + header.substr(comma + 1);
    }
    for (int row = 0; row < kEventRows && row < events; ++row) {
        const Fields16 fields = SplitFields<16>(lines[row + 1], ",");
        for (int c = 0; c < kEventColumns; ++c) {
            screen.rows[row][c] = fields[c];
        }
    }
    return screen;
}

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
