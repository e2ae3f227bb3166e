#include "controls/profile_binary.h"

namespace profilebinary {
namespace {

void PutInt32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

uint32_t GetInt32(const std::vector<uint8_t>& in, std::size_t pos) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | in[pos + i];
    }
    return value;
}

}  // namespace

std::string Encode(const std::vector<uint8_t>& bytes) {
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t byte : bytes) {
        text.push_back(static_cast<char>('A' + (byte & 0x0F)));
        text.push_back(static_cast<char>('A' + (byte >> 4)));
    }
    return text;
}

std::optional<std::vector<uint8_t>> Decode(const std::string& text) {
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int low = text[i] - 'A';
        int high = text[i + 1] - 'A';
        if (low < 0 || low > 15 || high < 0 || high > 15) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<uint8_t>(low | (high << 4)));
    }
    return bytes;
}

std::vector<uint8_t> StoreWidths(const std::vector<int>& widths) {
    std::vector<uint8_t> record;
    PutInt32(record, static_cast<uint32_t>(widths.size()));
    for (int width : widths) {
        PutInt32(record, static_cast<uint32_t>(width));
    }
    return record;
}

std::optional<std::vector<int>> LoadWidths(const std::vector<uint8_t>& record) {
    if (record.size() < 4) {
        return std::nullopt;
    }
    uint32_t count = GetInt32(record, 0);
    if (count != (record.size() - 4) / 4 || record.size() % 4 != 0) {
        return std::nullopt;
    }
    std::vector<int> widths;
    for (uint32_t i = 0; i < count; ++i) {
        auto width = static_cast<int32_t>(GetInt32(record, 4 + 4 * i));
        if (width < 0) {
            return std::nullopt;
        }
        widths.push_back(width);
    }
    return widths;
}

}  // namespace profilebinary
