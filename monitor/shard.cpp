#include "monitor/shard.h"

#include <cstdio>

uint32_t Fnv1a32(const std::string& text) {
    uint32_t hash = 2166136261u;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

bool Shard::Holds(const std::string& siteName) const {
    return count <= 1 || Fnv1a32(siteName) % count == index - 1;
}

bool ParseShard(const std::string& text, Shard* out, std::string* error) {
    unsigned k = 0;
    unsigned n = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%u/%u%c", &k, &n, &tail) != 2 || n == 0 || k == 0 || k > n) {
        if (error) {
            *error = "--shard wants K/N with 1 <= K <= N, e.g. 2/3 (got \"" + text + "\")";
        }
        return false;
    }
    out->index = k;
    out->count = n;
    return true;
}
