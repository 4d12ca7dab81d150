// Reading GAF files: whatever a file holds, loading keeps what can be read,
// says whether that was all, and costs no more than the file's size allows.
#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <stdexcept>

#include "base/LittleEndian.h"
#include "document/GafIo.h"
#include "document/GafLayout.h"
#include "document/RowCode.h"
#include "document/classGAF.h"

namespace quilmark {

using namespace gaf;

namespace {
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

bool classGAFFrame::Load(GafInput& in) {
  Initialize();
  // Charged before the loop check: a reference cut off is work done all the same.
  if (!in.Examine(kRecordSize)) return false;
  RecordScope scope(in, in.Position());
  if (!scope) return false;

  uint8_t record[kRecordSize];
  if (!in.Read(record, sizeof record)) {
    in.Fail("a frame record is cut short");
    return false;
  }
  width_ = le::I16(record + 0);
  height_ = le::I16(record + 2);
  position_x_ = le::I16(record + 4);
  position_y_ = le::I16(record + 6);
  transparent_index_ = record[8];
  compressed_ = record[9];
  subframe_count_ = record[10];
  reserved1_ = record[11];
  reserved2_ = le::I32(record + 12);
  data_offset_ = le::I32(record + 16);
  FPS = le::I32(record + 20);

  if (width_ == 0 || height_ == 0) return false;
  // Kept as it loads, but a save writes back sizes no writer makes.
  if (width_ < 0 || height_ < 0) in.Fail("a frame has a negative width or height");
  const int32_t count = static_cast<int32_t>(width_) * height_;
  if (count < 0) return false;
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
  // A frame with subframes has an image of its own that the file does not
  // store: transparent, shared with every other such frame until written.
  // Other pixels are not set beforehand: each form below sets all of them,
  // reading or decoding them, or making them 9 where the file stores none.
  if (subframe_count_ > 0 ? !in.BlankPixels(static_cast<size_t>(count), Pixels)
                          : !in.ReservePixels(static_cast<uint64_t>(count)) ||
                                !in.MakePixels(static_cast<size_t>(count), Pixels))
    return false;
  in.Seek(data_offset_);

  if (subframe_count_ > 0) {
    std::array<uint8_t, 4 * kMaxSubframes> table;
    const size_t table_size = 4 * static_cast<size_t>(subframe_count_);
    if (!in.Examine(table_size)) return false;
    if (!in.Read(table.data(), table_size)) {
      in.Fail("a subframe table is cut short");
      return false;
    }
    for (size_t i = 0; i < subframe_count_; ++i) {
      in.Seek(le::I32(table.data() + 4 * i));
      auto sub = std::make_shared<classGAFFrame>();
      if (sub->Load(in)) Subframes.Add(std::move(sub));
    }
  } else if (compressed_ == 0) {
    if (!in.Read(Pixels.data(), Pixels.size())) {
      in.Fail("a frame's pixels are cut short");
      return false;
    }
  } else if (compressed_ == 1) {
    RowsProgress progress;
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
    FinishRowsPixels(Pixels.data(), static_cast<int64_t>(Pixels.size()), progress);
  } else {
    std::memset(Pixels.data(), TransparentIndex, Pixels.size());
    // Any other compressed byte: nothing is stored that could be read. The
    // frame stays transparent and is written back compressed, which would
    // replace the image the file holds.
    in.Fail("a frame's pixels are stored in an unknown form: they load transparent, and saving replaces them");
  }
  return true;
}

bool classGAFAnimation::Load(GafInput& in) {
  uint8_t entry[kEntrySize];
  if (!in.Examine(kEntrySize)) return false;
  if (!in.Read(entry, sizeof entry)) {
    in.Fail("an animation entry lies beyond the end of the file");
    return false;
  }
  const int16_t frames = le::I16(entry);
  const auto* name = reinterpret_cast<const char*>(entry + 8);
  Name.assign(name, strnlen(name, kNameSize));
  if (frames < 1) return true;

  const int64_t available = std::max<int64_t>(0, (in.Size() - in.Position()) / static_cast<int64_t>(kFrameEntrySize));
  const int64_t readable = std::min<int64_t>(frames, available);
  // Entries may share one table; each reading of it is charged.
  if (!in.Examine(static_cast<uint64_t>(readable) * kFrameEntrySize)) return true;
  std::vector<uint8_t> table(static_cast<size_t>(readable) * kFrameEntrySize);
  in.Read(table.data(), table.size());
  if (readable < frames) in.Fail("a frame table is cut short");

  for (int64_t i = 0; i < readable; ++i) {
    const uint8_t* e = table.data() + i * kFrameEntrySize;
    const int32_t offset = le::I32(e);
    if (le::I32(e + 4) == kAnimatedFlag) Animated = true;
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
  // An archive is a file of its own kind, whose header reads as a huge GAF
  // file's: it is said to be one, and nothing of it is taken.
  if (std::memcmp(header, "HAPI", 4) == 0) {
    in.Refuse("a UFO (HPI) archive, not a GAF file");
    return;
  }
  const int32_t count = le::I32(header + 4);
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
    in.Seek(le::I32(table.data() + 4 * i));
    auto animation = std::make_shared<classGAFAnimation>();
    if (!animation->Load(in)) continue;
    // Of several animations with one name, only the first is kept; the file
    // then holds more than a save of the document would.
    if (!doc.Animations.Add(animation, animation->Name))
      in.Fail("two animations have the same name but for letter case: only the first is kept");
  }
}

// Frames whose pixels cannot be made are dropped where they are made; memory
// running out anywhere else ends the load, and what was read before stays.
void LoadGuarded(classGAF& doc, GafInput& in, ProgressSession& progress) {
  try {
    LoadDocument(doc, in, progress);
  } catch (const std::bad_alloc&) {
    in.Fail("not enough memory to read the whole file");
  } catch (const std::exception&) {
    // Nothing else is expected to throw (a progress display might).
    in.Fail("reading stopped early");
  }
}
constexpr const char* kLoadingStatus = "Loading GAF file...";
}  // namespace

LoadReport classGAF::Load(const std::string& filename, ProgressSink* progress) {
  try {
    GafInput in;
    // A file that cannot be opened reads as empty; the report says why.
    in.OpenFile(filename);
    Read(in, progress);
    return in.TakeReport();
  } catch (const std::exception&) {
    // Memory ran out before reading began; the reason cannot be spelled out.
    return LoadReport{false, {}};
  }
}

LoadReport classGAF::Load(GafInput& in, ProgressSink* progress) {
  Read(in, progress);
  return in.Report();
}

void classGAF::Read(GafInput& in, ProgressSink* progress) {
  try {
    ProgressSession session(progress, kLoadingStatus);
    LoadGuarded(*this, in, session);
  } catch (const std::exception&) {
    in.Fail("not enough memory to read the whole file");
  }
}

LoadReport classGAF::LoadBytes(const uint8_t* data, size_t size, bool padded) {
  try {
    GafInput in;
    in.OpenMemory(data, size, padded);
    Read(in, nullptr);
    return in.TakeReport();
  } catch (const std::exception&) {
    // Memory ran out before reading began.
    return LoadReport{false, {}};
  }
}

}  // namespace quilmark
