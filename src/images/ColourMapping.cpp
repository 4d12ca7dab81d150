#include "images/ColourMapping.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "document/classGAFFrame.h"

namespace quilmark {

ColourMapping& ColourMapping::operator+=(const ColourMapping& other) {
  offPalette += other.offPalette;
  largestDifference = std::max(largestDifference, other.largestDifference);
  madeTransparent += other.madeTransparent;
  return *this;
}

int ColourDifference(const PaletteEntry& a, const PaletteEntry& b) {
  return std::abs(a.Red - b.Red) + std::abs(a.Green - b.Green) + std::abs(a.Blue - b.Blue);
}

MappingTable::MappingTable(const Palette& colours, const std::array<uint8_t, 256>& table, const std::bitset<256>& skip,
                           const Palette& gameColours)
    : indices_(table) {
  for (size_t i = 0; i < 256; ++i) {
    const int difference = skip[i] ? 0 : ColourDifference(colours[i], gameColours[table[i]]);
    differences_[i] = static_cast<uint16_t>(difference);
    if (difference == 0) continue;
    exact_ = false;
    weights_[i] = uint32_t{1} << kOffShift | uint32_t{1} << kAboveShift;
    if (table[i] == TransparentIndex) weights_[i] |= uint32_t{1} << kTransparentShift;
  }
}

void MappingTable::Raise(const uint8_t* indices, size_t count) {
  for (size_t i = 0; i < count; ++i) largest_ = std::max<int>(largest_, differences_[indices[i]]);
  for (size_t i = 0; i < 256; ++i) {
    weights_[i] &= ~(uint32_t{1} << kAboveShift);
    if (differences_[i] > largest_) weights_[i] |= uint32_t{1} << kAboveShift;
  }
}

namespace {

// to[i] = table[from[i]] for count bytes, eight at a time; with Weigh also
// the sum of weights[from[i]].
template <bool Weigh>
uint32_t MapRun(const uint8_t* from, uint8_t* to, size_t count, const uint8_t* table, const uint32_t* weights) {
  uint32_t sum = 0, sum2 = 0;
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const uint8_t* p = from + i;
    const uint64_t r = uint64_t{table[p[0]]} | uint64_t{table[p[1]]} << 8 | uint64_t{table[p[2]]} << 16 |
                       uint64_t{table[p[3]]} << 24 | uint64_t{table[p[4]]} << 32 | uint64_t{table[p[5]]} << 40 |
                       uint64_t{table[p[6]]} << 48 | uint64_t{table[p[7]]} << 56;
    if (Weigh) {
      sum += weights[p[0]] + weights[p[1]] + weights[p[2]] + weights[p[3]];
      sum2 += weights[p[4]] + weights[p[5]] + weights[p[6]] + weights[p[7]];
    }
    std::memcpy(to + i, &r, 8);
  }
  for (; i < count; ++i) {
    if (Weigh) sum += weights[from[i]];
    to[i] = table[from[i]];
  }
  return sum + sum2;
}

}  // namespace

void MappingTable::Map(const uint8_t* from, uint8_t* to, size_t count) {
  if (exact_) {
    MapRun<false>(from, to, count, indices_.data(), nullptr);
    return;
  }
  constexpr uint32_t kField = 0x3FF;
  // In place, a run is mapped beside it first: Raise may need its indices.
  uint8_t beside[kRun];
  for (size_t start = 0; start < count; start += kRun) {
    const size_t n = std::min(kRun, count - start);
    uint8_t* out = from == to ? beside : to + start;
    const uint32_t sum = MapRun<true>(from + start, out, n, indices_.data(), weights_.data());
    off_ += (sum >> kOffShift) & kField;
    transparent_ += (sum >> kTransparentShift) & kField;
    if ((sum >> kAboveShift) & kField) Raise(from + start, n);
    if (out == beside) std::memcpy(to + start, beside, n);
  }
}

}  // namespace quilmark
