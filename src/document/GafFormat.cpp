// Reading and writing GAF files.
//
// Layout (little-endian):
//   header            12 bytes: version, animation count, reserved
//   animation table   count × 4-byte offsets of the animation entries
//   animation entry   40 bytes: frame count (2), reserved (2), reserved (4), name (32)
//   frame table       frame count × (record offset 4, animate flag 4), right after its entry
//   frame record      24 bytes: width, height, x, y (2 each), transparent index,
//                     compressed, subframe count, reserved (1 each), reserved (4),
//                     data offset (4), fps (4)
//   frame data        subframe offset table, or raw pixels, or rows of
//                     (2-byte signed byte count, row code)
// The writer lays everything out in document order with nothing in between.
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "document/GafIo.h"
#include "document/RowCode.h"
#include "document/classGAF.h"

namespace quilmark {

namespace {
constexpr int32_t kVersion = 0x00010100;
constexpr size_t kHeaderSize = 12;
constexpr size_t kEntrySize = 40;
constexpr size_t kNameSize = 32;
constexpr size_t kFrameEntrySize = 8;
constexpr size_t kRecordSize = 24;
constexpr int32_t kAnimatedFlag = 2;
constexpr int32_t kStillFlag = 10;
constexpr int kMaxFrames = 32767;
constexpr int kMaxSubframes = 255;

int32_t LE32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                              (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
}
int16_t LE16(const uint8_t* p) { return static_cast<int16_t>(p[0] | (p[1] << 8)); }
void PutLE16(uint8_t* at, int32_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

// Every offset stored in the file is a signed 32-bit number.
bool OffsetFits(uint64_t position) { return position <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max()); }

// Keeps the record path of the reader in step with the recursion.
class RecordScope {
 public:
  RecordScope(GafInput& in, int64_t offset) : in_(in), entered_(in.EnterRecord(offset)) {}
  ~RecordScope() {
    if (entered_) in_.LeaveRecord();
  }
  explicit operator bool() const { return entered_; }

 private:
  GafInput& in_;
  bool entered_;
};
}  // namespace

// ---------------------------------------------------------------- reading

bool classGAFFrame::Load(GafInput& in) {
  Initialize();
  RecordScope scope(in, in.Position());
  if (!scope || !in.ReserveObject()) return false;

  uint8_t record[kRecordSize];
  if (!in.Read(record, sizeof record)) {
    in.Fail("a frame record is cut short");
    return false;
  }
  width_ = LE16(record + 0);
  height_ = LE16(record + 2);
  position_x_ = LE16(record + 4);
  position_y_ = LE16(record + 6);
  transparent_index_ = record[8];
  compressed_ = record[9];
  subframe_count_ = record[10];
  reserved1_ = record[11];
  reserved2_ = LE32(record + 12);
  data_offset_ = LE32(record + 16);
  FPS = LE32(record + 20);

  if (width_ == 0 || height_ == 0) return false;
  const int32_t count = static_cast<int32_t>(width_) * height_;
  if (count < 0) {
    in.Fail("a frame has a negative size");
    return false;
  }
  // Claims the file cannot back are refused before anything is allocated.
  const int64_t left = in.Size() - static_cast<int64_t>(data_offset_);
  int64_t needed = 0;
  if (subframe_count_ > 0) {
    needed = 4 * static_cast<int64_t>(subframe_count_);
  } else if (compressed_ == 0) {
    needed = count;
  } else if (compressed_ == 1) {
    needed = 2 * static_cast<int64_t>(std::max<int16_t>(height_, 0));
  }
  if (data_offset_ < 0 || needed > left) {
    in.Fail("a frame's data lies beyond the end of the file");
    return false;
  }
  if (!in.ReservePixels(static_cast<uint64_t>(count))) return false;
  Pixels.assign(static_cast<size_t>(count), TransparentIndex);
  in.Seek(data_offset_);

  if (subframe_count_ > 0) {
    std::array<uint8_t, 4 * kMaxSubframes> table;
    const size_t table_size = 4 * static_cast<size_t>(subframe_count_);
    if (!in.Read(table.data(), table_size)) {
      in.Fail("a subframe table is cut short");
      return false;
    }
    for (size_t i = 0; i < subframe_count_; ++i) {
      in.Seek(LE32(table.data() + 4 * i));
      auto sub = std::make_shared<classGAFFrame>();
      if (sub->Load(in)) Subframes.Add(std::move(sub));
    }
  } else if (compressed_ == 0) {
    if (!in.Read(Pixels.data(), Pixels.size())) {
      in.Fail("a frame's pixels are cut short");
      return false;
    }
  } else if (compressed_ == 1) {
    RowsProgress progress{0, static_cast<int64_t>(Pixels.size())};
    for (int32_t y = 0; y < height_; ++y) {
      int16_t n = 0;
      if (!in.ReadLE(n)) {
        in.Fail("a frame's rows are cut short");
        return false;
      }
      if (n <= 0) continue;
      const uint8_t* code = in.ReadSpan(static_cast<size_t>(n));
      if (!code) {
        in.Fail("a frame's rows are cut short");
        return false;
      }
      if (!DecodeRowsPixels(code, n, Pixels.data(), static_cast<int64_t>(Pixels.size()),
                            static_cast<int64_t>(y) * width_, width_, in.SpansPadded(), progress)) {
        in.Fail("a frame's row code runs past its image");
        return false;
      }
    }
  }
  // Any other compressed byte: nothing is stored that could be read; the frame
  // stays transparent and is written back compressed.
  return true;
}

bool classGAFAnimation::Load(GafInput& in) {
  uint8_t entry[kEntrySize];
  if (!in.ReserveObject()) return false;
  if (!in.Read(entry, sizeof entry)) {
    in.Fail("an animation entry lies beyond the end of the file");
    return false;
  }
  const int16_t frames = LE16(entry);
  const auto* name = reinterpret_cast<const char*>(entry + 8);
  Name.assign(name, strnlen(name, kNameSize));
  if (frames < 1) return true;

  const int64_t available = std::max<int64_t>(0, (in.Size() - in.Position()) / static_cast<int64_t>(kFrameEntrySize));
  const int64_t readable = std::min<int64_t>(frames, available);
  std::vector<uint8_t> table(static_cast<size_t>(readable) * kFrameEntrySize);
  in.Read(table.data(), table.size());
  if (readable < frames) in.Fail("a frame table is cut short");

  for (int64_t i = 0; i < readable; ++i) {
    const uint8_t* e = table.data() + i * kFrameEntrySize;
    const int32_t offset = LE32(e);
    if (LE32(e + 4) == kAnimatedFlag) Animated = true;
    if (offset <= 0) continue;
    in.Seek(offset);
    auto frame = std::make_shared<classGAFFrame>();
    if (frame->Load(in)) Frames.Add(std::move(frame));
  }
  return true;
}

namespace {
void LoadDocument(classGAF& doc, GafInput& in, ProgressSession& progress) {
  uint8_t header[kHeaderSize];
  in.Seek(0);
  if (!in.Read(header, sizeof header)) {
    in.Fail(in.Size() == 0 ? "the file is empty" : "the file is too short to be a GAF file");
    return;
  }
  const int32_t count = LE32(header + 4);
  if (count < 0) {
    in.Fail("the animation count is negative");
    return;
  }
  const int64_t available = (in.Size() - static_cast<int64_t>(kHeaderSize)) / 4;
  const int64_t readable = std::min<int64_t>(count, available);
  if (readable < count) in.Fail("the animation table is cut short");
  std::vector<uint8_t> table(static_cast<size_t>(readable) * 4);
  in.Read(table.data(), table.size());

  for (int64_t i = 0; i < readable; ++i) {
    progress.Update(static_cast<int32_t>(i), count - 1);
    in.Seek(LE32(table.data() + 4 * i));
    auto animation = std::make_shared<classGAFAnimation>();
    if (!animation->Load(in)) continue;
    // Of several animations with one name, only the first is kept.
    doc.Animations.Add(animation, animation->Name);
  }
}
}  // namespace

bool classGAF::Load(const std::string& filename, ProgressSink* progress, LoadReport* report) {
  ProgressSession session(progress, "Loading GAF file...");
  GafInput in;
  if (in.OpenFile(filename)) LoadDocument(*this, in, session);
  if (report) *report = in.Report();
  return true;
}

bool classGAF::LoadBytes(const uint8_t* data, size_t size, LoadReport* report, bool padded) {
  ProgressSession session(nullptr, "");
  GafInput in;
  in.OpenMemory(data, size, padded);
  LoadDocument(*this, in, session);
  if (report) *report = in.Report();
  return true;
}

// ---------------------------------------------------------------- writing

bool classGAFFrame::Save(GafOutput& out) const {
  if (Subframes.Count() > kMaxSubframes) {
    out.Fail("a frame has more than 255 subframes");
    return false;
  }
  const uint64_t here = out.Position();
  if (!OffsetFits(here + kRecordSize)) {
    out.Fail("the file would pass the format's 2 GiB limit");
    return false;
  }
  uint8_t record[kRecordSize] = {};
  PutLE16(record + 0, width_);
  PutLE16(record + 2, height_);
  PutLE16(record + 4, position_x_);
  PutLE16(record + 6, position_y_);
  record[8] = TransparentIndex;
  record[9] = compressed_;
  record[10] = static_cast<uint8_t>(Subframes.Count());
  PutLE32(record + 16, static_cast<int32_t>(here + kRecordSize));
  PutLE32(record + 20, FPS);
  if (!out.Write(record, sizeof record)) return false;

  if (!Subframes.IsEmpty()) {
    const uint64_t table_at = out.Position();
    std::vector<uint8_t> table(4 * static_cast<size_t>(Subframes.Count()), 0);
    if (!out.Write(table.data(), table.size())) return false;
    size_t i = 0;
    for (const FramePtr& sub : Subframes) {
      if (!OffsetFits(out.Position())) {
        out.Fail("the file would pass the format's 2 GiB limit");
        return false;
      }
      PutLE32(table.data() + 4 * i++, static_cast<int32_t>(out.Position()));
      if (!sub->Save(out)) return false;
    }
    return out.WriteAt(table_at, table.data(), table.size());
  }

  const int64_t count = std::max<int64_t>(0, static_cast<int64_t>(width_) * height_);
  if (compressed_ == 0) {
    const size_t held = std::min<size_t>(Pixels.size(), static_cast<size_t>(count));
    if (!out.Write(Pixels.data(), held)) return false;
    // A buffer shorter than its sizes (only after Initialize) reads as zeros.
    for (int64_t rest = count - static_cast<int64_t>(held); rest > 0;) {
      static const uint8_t zeros[4096] = {};
      const size_t n = static_cast<size_t>(std::min<int64_t>(rest, sizeof zeros));
      if (!out.Write(zeros, n)) return false;
      rest -= static_cast<int64_t>(n);
    }
    return true;
  }
  const bool held = static_cast<int64_t>(Pixels.size()) >= count;
  for (int32_t y = 0; y < height_; ++y) {
    // Rows are coded straight into the file's buffer, after room for their
    // length; a row the buffer does not fully hold goes through EncodeRow.
    uint8_t* at = out.Room(2 + EncodeRoom(width_));
    if (!at) return false;
    size_t n;
    if (held) {
      n = EncodeRowInto(Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width_), width_, at + 2);
    } else {
      std::vector<uint8_t>& code = out.Scratch();
      EncodeRow(y, code);
      n = code.size();
      std::memcpy(at + 2, code.data(), n);
    }
    if (n > static_cast<size_t>(kMaxRowCodeBytes)) {
      out.Fail("a row's code is longer than the format's 32767 bytes");
      return false;
    }
    PutLE16(at, static_cast<int32_t>(n));
    out.Extend(2 + n);
  }
  return true;
}

bool classGAFAnimation::Save(GafOutput& out) const {
  if (Frames.Count() > kMaxFrames) {
    out.Fail("an animation has more than 32767 frames");
    return false;
  }
  uint8_t entry[kEntrySize];
  PutLE16(entry + 0, Frames.Count());
  PutLE16(entry + 2, 1);
  PutLE32(entry + 4, 0);
  // The name, a 0 byte, cut to 32 bytes, padded with spaces.
  std::memset(entry + 8, ' ', kNameSize);
  std::string field = Name;
  field.push_back('\0');
  std::memcpy(entry + 8, field.data(), std::min(field.size(), kNameSize));
  if (!out.Write(entry, sizeof entry)) return false;
  if (Frames.IsEmpty()) return true;

  const uint64_t table_at = out.Position();
  std::vector<uint8_t> table(kFrameEntrySize * static_cast<size_t>(Frames.Count()), 0);
  if (!out.Write(table.data(), table.size())) return false;
  size_t i = 0;
  for (const FramePtr& frame : Frames) {
    if (!OffsetFits(out.Position())) {
      out.Fail("the file would pass the format's 2 GiB limit");
      return false;
    }
    PutLE32(table.data() + kFrameEntrySize * i, static_cast<int32_t>(out.Position()));
    PutLE32(table.data() + kFrameEntrySize * i + 4, Animated ? kAnimatedFlag : kStillFlag);
    ++i;
    if (!frame->Save(out)) return false;
  }
  return out.WriteAt(table_at, table.data(), table.size());
}

SaveResult classGAF::Save(const std::string& filename, ProgressSink* progress) const {
  AtomicFile file(filename);
  return Save(file, progress);
}

SaveResult classGAF::Save(AtomicFile& file, ProgressSink* progress) const {
  ProgressSession session(progress, "Saving GAF file...");
  SaveResult result;
  if (!file.Open()) {
    result.error = file.Error();
    return result;
  }
  GafOutput out(file);
  const int32_t count = Animations.Count();
  uint8_t header[kHeaderSize];
  PutLE32(header + 0, kVersion);
  PutLE32(header + 4, count);
  PutLE32(header + 8, 0);
  bool ok = out.Write(header, sizeof header);
  if (ok && count > 0) {
    std::vector<uint8_t> table(4 * static_cast<size_t>(count), 0);
    ok = out.Write(table.data(), table.size());
    for (int32_t i = 1; ok && i <= count; ++i) {
      session.Update(i, count);
      if (!OffsetFits(out.Position())) {
        out.Fail("the file would pass the format's 2 GiB limit");
        ok = false;
        break;
      }
      PutLE32(table.data() + 4 * (i - 1), static_cast<int32_t>(out.Position()));
      ok = Animations.Item(i)->Save(out);
    }
    ok = ok && out.WriteAt(kHeaderSize, table.data(), table.size());
  }
  if (ok) ok = file.Commit();
  if (!ok) {
    result.error = file.Error().empty() ? "cannot write " + file.Target() : file.Error();
    return result;
  }
  result.ok = true;
  return result;
}

void classGAF::CompressAll(CompressedIndicator* indicator) {
  for (const AnimationPtr& animation : Animations)
    for (const FramePtr& frame : animation->Frames) {
      frame->SetCompressed(true);
      for (const FramePtr& sub : frame->Subframes) sub->SetCompressed(true);
    }
  if (indicator) indicator->SetCompressedChecked();
}

}  // namespace quilmark
