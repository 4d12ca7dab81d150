// Loading arbitrary bytes as a GAF file must never crash, hang or run away with
// memory, and three loads of the same bytes must agree: from memory, from
// memory that may be over-read (the fast row decoder), and from a file read
// through tiny blocks, so that jumps, refills, direct reads and the switch to
// reading the file whole are all exercised. No input may yield more frames
// than its size allows, nor cost more than a few times its size in reads.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "document/GafIo.h"
#include "document/RowCode.h"
#include "document/classGAF.h"

namespace {
using quilmark::classGAF;
using quilmark::classGAFFrame;
using quilmark::Collection;

bool SameFrames(const Collection<classGAFFrame>& a, const Collection<classGAFFrame>& b) {
  if (a.Count() != b.Count()) return false;
  for (int i = 1; i <= a.Count(); ++i) {
    const classGAFFrame& x = *a.Item(i);
    const classGAFFrame& y = *b.Item(i);
    if (x.Pixels != y.Pixels || x.Width() != y.Width() || x.Height() != y.Height() ||
        x.PositionX() != y.PositionX() || x.PositionY() != y.PositionY() || x.CompressedByte() != y.CompressedByte() ||
        x.FPS != y.FPS || !SameFrames(x.Subframes, y.Subframes))
      return false;
  }
  return true;
}

bool SameDocuments(const classGAF& a, const classGAF& b) {
  if (a.Animations.Count() != b.Animations.Count()) return false;
  for (int i = 1; i <= a.Animations.Count(); ++i) {
    const auto& x = *a.Animations.Item(i);
    const auto& y = *b.Animations.Item(i);
    if (x.Name != y.Name || x.Animated != y.Animated || !SameFrames(x.Frames, y.Frames)) return false;
  }
  return true;
}

// Frames and subframes at every depth; false when one's buffer is out of step
// with its sizes.
bool Count(const Collection<classGAFFrame>& frames, uint64_t& n) {
  for (const auto& f : frames) {
    ++n;
    if (f->Pixels.size() != static_cast<size_t>(f->Width() * f->Height()) || !Count(f->Subframes, n)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  classGAF exact, fast, from_file;
  quilmark::LoadReport exact_report, fast_report;
  exact_report = exact.LoadBytes(data, size);
  std::vector<uint8_t> padded(data, data + size);
  padded.resize(size + quilmark::kRowCodePadding, 0x5A);
  fast_report = fast.LoadBytes(padded.data(), size, true);

  quilmark::GafInput in(quilmark::ReadPlan{16, 256, 2});
  if (!in.OpenFile(quilmark::fuzz::BytesAsFile(data, size))) __builtin_trap();
  from_file.Load(in);

  if (exact_report.complete != fast_report.complete || exact_report.complete != in.Report().complete) __builtin_trap();
  if (!SameDocuments(exact, fast) || !SameDocuments(exact, from_file)) __builtin_trap();
  uint64_t frames = 0;
  for (const auto& animation : exact.Animations)
    if (!Count(animation->Frames, frames)) __builtin_trap();
  if (frames > quilmark::GafMaxRecords(size)) __builtin_trap();
  if (in.BytesRead() > 3 * static_cast<uint64_t>(size)) __builtin_trap();
  return 0;
}
