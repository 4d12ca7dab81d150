#include "TestSupport.h"

#include <gtest/gtest.h>

namespace quilmark::test {

FramePtr MakeFrame(int w, int h, std::vector<uint8_t> pixels) {
  auto frame = std::make_shared<classGAFFrame>();
  frame->SetWidth(w);
  frame->SetHeight(h);
  if (pixels.empty()) {
    for (int i = 0; i < w * h; ++i) frame->Pixels[i] = static_cast<uint8_t>((i * 7) % 251);
  } else {
    frame->Pixels = std::move(pixels);
  }
  return frame;
}

std::vector<uint8_t> SaveToBytes(const classGAF& doc) {
  TempDir dir;
  const SaveResult r = doc.Save(dir.File("doc.gaf"));
  EXPECT_TRUE(r.ok) << r.error;
  return ReadFile(dir.File("doc.gaf"));
}

classGAF LoadFromBytes(const std::vector<uint8_t>& bytes, LoadReport* report) {
  classGAF doc;
  doc.LoadBytes(bytes.data(), bytes.size(), report);
  return doc;
}

}  // namespace quilmark::test
