// Splitting a phone book between N monitors: site K of N is every site whose stable hash (FNV-1a,
// 32 bits, over the site name's bytes) leaves K-1 when divided by N. The same name lands on the
// same monitor on every machine and at every start.
//
// Pure functions; any thread.
#pragma once

#include <cstdint>
#include <string>

struct Shard {
    unsigned index = 1;  // 1..count
    unsigned count = 1;
    bool Holds(const std::string& siteName) const;
};

uint32_t Fnv1a32(const std::string& text);
// "K/N" with 1 <= K <= N; false (the reason in `error`) otherwise.
bool ParseShard(const std::string& text, Shard* out, std::string* error);
