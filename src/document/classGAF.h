// The GAF document: its animations, keyed by name, in document order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "document/Collection.h"
#include "base/Progress.h"
#include "document/classGAFAnimation.h"

namespace quilmark {

class AtomicFile;

// The editor's compressed check box, as the document sees it.
class CompressedIndicator {
 public:
  virtual ~CompressedIndicator() = default;
  virtual void SetCompressedChecked() = 0;
};

// What a load found. Loading never fails as a whole; this tells whether the
// file was read whole, so that a caller can warn before a partial document is
// saved over the original.
struct LoadReport {
  bool complete = true;
  // First problem met, in words; empty when complete.
  std::string problem;
  // False when the file could not be opened at all (missing, a folder, a
  // pipe, unreadable); problem then says why.
  bool opened = true;
};

struct SaveResult {
  bool ok = false;
  std::string error;  // why it failed; the old file is untouched then
  explicit operator bool() const { return ok; }
};

class classGAF {
 public:
  KeyedCollection<classGAFAnimation> Animations;

  // Reads the file into this (empty) document, whatever the file holds: what
  // cannot be read is left out, and the report says whether it was read whole.
  LoadReport Load(const std::string& filename, ProgressSink* progress = nullptr);
  // The same from an open input (tests and fuzzing read through small blocks
  // this way).
  LoadReport Load(GafInput& in, ProgressSink* progress = nullptr);
  // The same, from bytes in memory.
  // padded: 64 readable bytes follow the data (lets rows decode faster).
  LoadReport LoadBytes(const uint8_t* data, size_t size, bool padded = false);

  // Writes the document to the file. The file is replaced only once everything
  // was written; on failure the old file stays and the result says why.
  SaveResult Save(const std::string& filename, ProgressSink* progress = nullptr) const;
  // The same into a file the caller set up (not yet opened).
  SaveResult Save(AtomicFile& file, ProgressSink* progress = nullptr) const;

  // A copy to save from another thread while this document goes on changing:
  // animations and frames of its own with the same names, keys and values,
  // their pixels shared with this document's (classGAFFrame::SharedCopy).
  std::shared_ptr<const classGAF> Snapshot();

  // Marks every frame and subframe compressed, then checks the indicator.
  void CompressAll(CompressedIndicator* indicator = nullptr);

 private:
  // Reads what the input holds into this document, noting problems there.
  void Read(GafInput& in, ProgressSink* progress);
};

}  // namespace quilmark
