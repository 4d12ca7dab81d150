#include "document/RowCode.h"

#include <cstring>

#include "document/classGAFFrame.h"

namespace quilmark {

std::optional<uint8_t> SetFlagBits(int start, uint8_t mask) {
  for (int value = start; value <= 255; ++value)
    if (value >= 0 && (value & mask) == mask) return static_cast<uint8_t>(value);
  return std::nullopt;
}

namespace {

// The encoder's state for one row. At most one of the three counts is above 0
// at any moment, so runs leave in pixel order.
class RowEncoder {
 public:
  explicit RowEncoder(std::vector<uint8_t>& out) : out_(out) { out_.clear(); }

  void Pixel(uint8_t p) {
    if (p == TransparentIndex) {
      if (++transparent_ == kMaxTransparentRun) EmitTransparent();
      if (repeat_ > 0) {
        EmitRepeat();
      } else if (literal_ > 0) {
        EmitLiteral();
      }
      repeating_ = false;
    } else if (p == previous_) {
      repeat_value_ = p;
      ++repeat_;
      if (!repeating_) {
        repeating_ = true;
        // The previous pixel leaves the literal run and joins the repeat.
        if (literal_ > 0) {
          --literal_;
          ++repeat_;
        }
      }
      if (repeat_ == kMaxRepeatRun) EmitRepeat();
      if (transparent_ > 0) {
        EmitTransparent();
      } else if (literal_ > 0) {
        EmitLiteral();
      }
    } else {
      literals_[literal_++] = p;
      if (literal_ == kMaxLiteralRun) EmitLiteral();
      if (transparent_ > 0) {
        EmitTransparent();
      } else if (repeat_ > 0) {
        EmitRepeat();
      }
      repeating_ = false;
    }
    previous_ = p;
  }

  void Finish() {
    if (transparent_ > 0) {
      EmitTransparent();
    } else if (repeat_ > 0) {
      EmitRepeat();
    } else if (literal_ > 0) {
      EmitLiteral();
    }
  }

 private:
  void EmitTransparent() {
    out_.push_back(static_cast<uint8_t>(2 * transparent_ + 1));
    transparent_ = 0;
  }
  void EmitRepeat() {
    out_.push_back(static_cast<uint8_t>(4 * (repeat_ - 1) + 2));
    out_.push_back(repeat_value_);
    repeat_ = 0;
  }
  void EmitLiteral() {
    out_.push_back(static_cast<uint8_t>(4 * (literal_ - 1)));
    out_.insert(out_.end(), literals_, literals_ + literal_);
    literal_ = 0;
  }

  std::vector<uint8_t>& out_;
  int transparent_ = 0;
  int repeat_ = 0;
  uint8_t repeat_value_ = 0;
  int literal_ = 0;
  uint8_t literals_[kMaxLiteralRun] = {};
  int previous_ = -1;  // no pixel yet
  bool repeating_ = false;
};

}  // namespace

bool EncodeRowPixels(const uint8_t* row, int32_t width, std::vector<uint8_t>& code) {
  RowEncoder encoder(code);
  for (int32_t x = 0; x < width; ++x) encoder.Pixel(row[x]);
  encoder.Finish();
  return code.size() <= static_cast<size_t>(kMaxRowCodeBytes);
}

bool DecodeRowPixels(const uint8_t* code, int32_t count, uint8_t* pixels, int64_t size, int64_t start) {
  int64_t x = start;
  int32_t r = 0;
  while (r < count) {
    const uint8_t c = code[r++];
    if (c & 1) {
      x += c >> 1;
      continue;
    }
    const int32_t m = (c >> 2) + 1;
    if (c & 2) {
      if (r >= count) return false;
      if (x < 0 || x + m > size) return false;
      std::memset(pixels + x, code[r], static_cast<size_t>(m));
      r += 1;
    } else {
      if (m > count - r) return false;
      if (x < 0 || x + m > size) return false;
      std::memcpy(pixels + x, code + r, static_cast<size_t>(m));
      r += m;
    }
    x += m;
  }
  return true;
}

bool classGAFFrame::DecodeRow(const uint8_t* buffer, int32_t count, int32_t yrow) {
  const int64_t start = static_cast<int64_t>(yrow) * width_;
  return DecodeRowPixels(buffer, count, Pixels.data(), static_cast<int64_t>(Pixels.size()), start);
}

bool classGAFFrame::EncodeRow(int32_t y, std::vector<uint8_t>& code) const {
  const int64_t start = static_cast<int64_t>(y) * width_;
  if (width_ <= 0 || start < 0 || start + width_ > static_cast<int64_t>(Pixels.size())) {
    // Rows that are not (fully) held read as 0, like a freshly resized image.
    std::vector<uint8_t> row(width_ > 0 ? static_cast<size_t>(width_) : 0, 0);
    for (int32_t x = 0; x < width_; ++x) {
      const int64_t at = start + x;
      if (at >= 0 && at < static_cast<int64_t>(Pixels.size())) row[static_cast<size_t>(x)] = Pixels[static_cast<size_t>(at)];
    }
    return EncodeRowPixels(row.data(), width_, code);
  }
  return EncodeRowPixels(Pixels.data() + start, width_, code);
}

}  // namespace quilmark
