// Writing GAF files, in the writer's layout (document/GafLayout.h).
#include <algorithm>
#include <cstring>
#include <limits>

#include "base/LittleEndian.h"
#include "document/GafIo.h"
#include "document/GafLayout.h"
#include "document/RowCode.h"
#include "document/classGAF.h"

namespace quilmark {

using namespace gaf;

namespace {
// Every offset stored in the file is a signed 32-bit number: false, and the
// save stopped, when position cannot be one.
bool OffsetFits(GafOutput& out, uint64_t position) {
  if (position <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return true;
  out.Fail("the file would pass the format's 2 GiB limit");
  return false;
}
}  // namespace

bool classGAFFrame::Save(GafOutput& out) const {
  if (Subframes.Count() > kMaxSubframes) {
    out.Fail("a frame has more than 255 subframes");
    return false;
  }
  const uint64_t here = out.Position();
  if (!OffsetFits(out, here + kRecordSize)) return false;
  uint8_t record[kRecordSize] = {};
  le::Put16(record + 0, width_);
  le::Put16(record + 2, height_);
  le::Put16(record + 4, position_x_);
  le::Put16(record + 6, position_y_);
  record[8] = TransparentIndex;
  record[9] = compressed_;
  record[10] = static_cast<uint8_t>(Subframes.Count());
  le::Put32(record + 16, static_cast<int32_t>(here + kRecordSize));
  le::Put32(record + 20, FPS);
  if (!out.Write(record, sizeof record)) return false;

  if (!Subframes.IsEmpty()) {
    const uint64_t table_at = out.Position();
    std::vector<uint8_t> table(4 * static_cast<size_t>(Subframes.Count()), 0);
    if (!out.Write(table.data(), table.size())) return false;
    size_t i = 0;
    for (const FramePtr& sub : Subframes) {
      if (!OffsetFits(out, out.Position())) return false;
      le::Put32(table.data() + 4 * i++, static_cast<int32_t>(out.Position()));
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
    le::Put16(at, static_cast<int32_t>(n));
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
  le::Put16(entry + 0, Frames.Count());
  le::Put16(entry + 2, 1);
  le::Put32(entry + 4, 0);
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
    if (!OffsetFits(out, out.Position())) return false;
    le::Put32(table.data() + kFrameEntrySize * i, static_cast<int32_t>(out.Position()));
    le::Put32(table.data() + kFrameEntrySize * i + 4, Animated ? kAnimatedFlag : kStillFlag);
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
  le::Put32(header + 0, kVersion);
  le::Put32(header + 4, count);
  le::Put32(header + 8, 0);
  bool ok = out.Write(header, sizeof header);
  if (ok && count > 0) {
    std::vector<uint8_t> table(4 * static_cast<size_t>(count), 0);
    ok = out.Write(table.data(), table.size());
    for (int32_t i = 1; ok && i <= count; ++i) {
      session.Update(i, count);
      if (!OffsetFits(out, out.Position())) {
        ok = false;
        break;
      }
      le::Put32(table.data() + 4 * (i - 1), static_cast<int32_t>(out.Position()));
      ok = Animations.Item(i)->Save(out);
    }
    ok = ok && out.WriteAt(kHeaderSize, table.data(), table.size());
  }
  if (ok) ok = file.Commit();
  if (!ok) {
    result.error = file.Error().empty() ? "writing failed" : file.Error();
    return result;
  }
  result.ok = true;
  return result;
}

std::shared_ptr<const classGAF> classGAF::Snapshot() {
  auto copy = std::make_shared<classGAF>();
  std::vector<KeyedCollection<classGAFAnimation>::Entry> entries = Animations.Entries();
  for (auto& entry : entries) {
    auto animation = std::make_shared<classGAFAnimation>();
    animation->Name = entry.item->Name;
    animation->Animated = entry.item->Animated;
    for (const FramePtr& frame : entry.item->Frames) animation->Frames.Add(frame->SharedCopy());
    entry.item = std::move(animation);
  }
  (void)copy->Animations.Assign(std::move(entries));
  return copy;
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
