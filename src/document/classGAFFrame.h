// One frame or subframe of an animation: an 8-bit palettised image with an
// origin, or a group of subframes drawn over one another.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "document/Collection.h"
#include "document/FramePixels.h"

namespace quilmark {

class GafInput;
class GafOutput;

// Palette index that means "no pixel here".
inline constexpr uint8_t TransparentIndex = 9;

// The largest width or height a frame can hold: sizes are 16-bit.
inline constexpr int32_t kMaxFrameSide = 32767;

class classGAFFrame {
 public:
  Collection<classGAFFrame> Subframes;

  // Width × Height palette indices, row-major, top row first.
  FramePixels Pixels;

  // The frame's rate value: stored and written unchanged.
  int32_t FPS = 0;

  // Sizes are held in 16 bits. A value outside the 16-bit range is not stored,
  // but the pixel buffer is still resized to the sizes then held (a flat resize:
  // existing bytes keep their index, new ones are 0).
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  void SetWidth(int32_t value);
  void SetHeight(int32_t value);
  // Takes a new image of width × height pixels (top row first) with its sizes
  // in one step, so that no buffer of in-between sizes is made on the way.
  // False, with the frame and pixels unchanged, when a size is outside
  // 0…kMaxFrameSide or pixels does not hold width × height bytes.
  [[nodiscard]] bool SetImage(int32_t width, int32_t height, std::vector<uint8_t>&& pixels);

  // Positions are held in 16 bits; a value outside that range is refused
  // (false) and the old value stays.
  int32_t PositionX() const { return position_x_; }
  int32_t PositionY() const { return position_y_; }
  [[nodiscard]] bool SetPositionX(int32_t value);
  [[nodiscard]] bool SetPositionY(int32_t value);

  // True when the stored byte is not 0. A loaded file may leave any byte here;
  // setting through the flag stores 0 or 1.
  bool Compressed() const { return compressed_ != 0; }
  void SetCompressed(bool value) { compressed_ = value ? 1 : 0; }
  uint8_t CompressedByte() const { return compressed_; }
  // Puts back a stored byte as it was read (undo of a change to the flag).
  void SetCompressedByte(uint8_t value) { compressed_ = value; }

  // Pixels become one byte of 0 and Subframes a new empty collection.
  void Initialize();

  // A frame of the same values whose subframes are copied the same way and
  // whose pixels are a shared view of these (FramePixels::Share): a copy to
  // be read on another thread that costs no pixel copy.
  std::shared_ptr<classGAFFrame> SharedCopy();

  // Reads one frame record (and its subframes and pixels) at the input's
  // position. False when the frame is to be dropped.
  bool Load(GafInput& in);
  // Writes the frame at the output's position. False on the first failure.
  bool Save(GafOutput& out) const;

  // Decodes count bytes of row code into row yrow of Pixels (filled with 9 by
  // the caller). False when the code is cut short or writes past Pixels.
  bool DecodeRow(const uint8_t* buffer, int32_t count, int32_t yrow);
  // The code of row y; false when it would exceed a row's 32767-byte limit.
  bool EncodeRow(int32_t y, std::vector<uint8_t>& code) const;

  // Pixels become a copy of Buffer; Width and Height are left to the caller.
  void CopyImage(std::span<const uint8_t> Buffer);

 private:
  void ResizePixels();

  int16_t width_ = 0;
  int16_t height_ = 0;
  int16_t position_x_ = 0;
  int16_t position_y_ = 0;
  uint8_t compressed_ = 0;

  // Fields of the file record that only the format uses; the writer rewrites
  // all of them.
  uint8_t transparent_index_ = 0;
  uint8_t subframe_count_ = 0;
  uint8_t reserved1_ = 0;
  int32_t reserved2_ = 0;
  int32_t data_offset_ = 0;
};

using FramePtr = std::shared_ptr<classGAFFrame>;

}  // namespace quilmark
