// Game indices of truecolour colours, each colour searched for once: what
// the PNG reader maps grey-less pixels with, and the dithering its adjusted
// colours.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "images/ColourMapping.h"
#include "images/modBmp.h"

namespace quilmark {

// The game colour nearest to each colour (0xRRGGBB) by NearestOpaqueColour:
// a hash table of the colours met, and past kMaxSlots / 2 of them (a
// photograph rather than a sprite) a direct table over all 2^24 colours.
// Along the way it weighs what the matching does (ColourMapping): how many of
// the colours looked up differ from the game colour they get, and by how much
// at most.
class ColourCache {
 public:
  explicit ColourCache(const Palette& game) : game_(game) { Reset(kFirstSlots); }

  uint8_t Index(uint32_t rgb) {
    // Most colours are met again: only a new one is searched for.
    if (direct_.empty()) {
      for (size_t slot = Slot(rgb);; slot = (slot + 1) & (keys_.size() - 1)) {
        if (keys_[slot] == rgb) return Take(values_[slot]);
        if (keys_[slot] == kEmpty) break;
      }
    }
    return Lookup(rgb);
  }

  // What the colours looked up so far became: offPalette counts lookups,
  // largestDifference the colours met. No colour becomes TransparentIndex.
  ColourMapping Mapping() const { return {off_, largest_, 0}; }

 private:
  static constexpr uint32_t kEmpty = 0xFFFFFFFF;  // no colour has bits above 24
  static constexpr size_t kFirstSlots = 4096;
  static constexpr size_t kMaxSlots = size_t{1} << 21;
  // A value holds the index in its low byte and this bit when the colour
  // differs from the index's colour.
  static constexpr uint16_t kOff = 0x100;

  uint8_t Take(uint16_t value) {
    off_ += value >> 8;
    return static_cast<uint8_t>(value);
  }

  [[gnu::noinline]] uint8_t Lookup(uint32_t rgb) {
    if (!direct_.empty()) {
      uint64_t& word = known_[rgb >> 6];
      const uint64_t bit = uint64_t{1} << (rgb & 63);
      if (!(word & bit)) {
        const uint16_t value = Search(rgb);
        direct_[rgb] = static_cast<uint8_t>(value);
        if (value & kOff) offColours_[rgb >> 6] |= bit;
        word |= bit;
      }
      off_ += (offColours_[rgb >> 6] & bit) != 0;
      return direct_[rgb];
    }
    size_t slot = Slot(rgb);
    for (; keys_[slot] != kEmpty; slot = (slot + 1) & (keys_.size() - 1))
      if (keys_[slot] == rgb) return Take(values_[slot]);
    const uint16_t value = Search(rgb);
    keys_[slot] = rgb;
    values_[slot] = value;
    if (++count_ * 2 > keys_.size()) Grow();
    return Take(value);
  }

  void Reset(size_t slots) {
    keys_.assign(slots, kEmpty);
    values_.assign(slots, 0);
    shift_ = 32;
    for (size_t s = slots; s > 1; s >>= 1) --shift_;
    count_ = 0;
  }
  size_t Slot(uint32_t rgb) const { return (rgb * 0x9E3779B1u) >> shift_; }
  uint16_t Search(uint32_t rgb) {
    PaletteEntry colour;
    colour.Red = static_cast<uint8_t>(rgb >> 16);
    colour.Green = static_cast<uint8_t>(rgb >> 8);
    colour.Blue = static_cast<uint8_t>(rgb);
    const uint8_t index = NearestOpaqueColour(colour, game_);
    const int difference = ColourDifference(colour, game_[index]);
    largest_ = std::max(largest_, difference);
    return static_cast<uint16_t>(index | (difference > 0 ? kOff : 0));
  }
  void Grow() {
    std::vector<uint32_t> keys = std::move(keys_);
    std::vector<uint16_t> values = std::move(values_);
    if (keys.size() >= kMaxSlots) {
      direct_.assign(size_t{1} << 24, 0);
      known_.assign((size_t{1} << 24) / 64, 0);
      offColours_.assign((size_t{1} << 24) / 64, 0);
      for (size_t i = 0; i < keys.size(); ++i)
        if (keys[i] != kEmpty) {
          const uint64_t bit = uint64_t{1} << (keys[i] & 63);
          direct_[keys[i]] = static_cast<uint8_t>(values[i]);
          known_[keys[i] >> 6] |= bit;
          if (values[i] & kOff) offColours_[keys[i] >> 6] |= bit;
        }
      return;
    }
    Reset(keys.size() * 2);
    for (size_t i = 0; i < keys.size(); ++i) {
      if (keys[i] == kEmpty) continue;
      size_t slot = Slot(keys[i]);
      while (keys_[slot] != kEmpty) slot = (slot + 1) & (keys_.size() - 1);
      keys_[slot] = keys[i];
      values_[slot] = values[i];
      ++count_;
    }
  }

  const Palette& game_;
  std::vector<uint32_t> keys_;
  std::vector<uint16_t> values_;
  unsigned shift_ = 32;
  size_t count_ = 0;
  std::vector<uint8_t> direct_;
  std::vector<uint64_t> known_;
  std::vector<uint64_t> offColours_;  // of the colours known, those off the palette
  uint64_t off_ = 0;
  int largest_ = 0;
};

}  // namespace quilmark
