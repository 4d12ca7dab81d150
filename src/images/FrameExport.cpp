// Frame images written out as numbered BMP files with the game palette.
#include <cstdio>

#include "images/FrameImages.h"
#include "images/modBmp.h"

namespace quilmark {

namespace {

// At least two digits: 01 … 99, then 100 …
std::string Number(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", n);
  return text;
}

void WriteImage(const classGAFFrame& frame, const std::string& filename, ExportReport& report) {
  std::string why;
  if (WriteBMP(filename, frame.Pixels, GamePalette, frame.Width(), frame.Height(), true, &why)) {
    ++report.written;
    return;
  }
  ++report.failed;
  report.failedFiles.push_back(filename);
  report.reasons.push_back(why);
}

}  // namespace

void ExportReport::Add(const ExportReport& other) {
  written += other.written;
  failed += other.failed;
  failedFiles.insert(failedFiles.end(), other.failedFiles.begin(), other.failedFiles.end());
  reasons.insert(reasons.end(), other.reasons.begin(), other.reasons.end());
}

ExportReport classGAFFrame::ExportFrame(const std::string& Filename) const {
  ExportReport report;
  // A frame with subframes is seen only through them.
  if (Subframes.IsEmpty()) WriteImage(*this, Filename, report);
  return report;
}

ExportReport classGAFFrame::ExportAllImages(const std::string& Location) const {
  ExportReport report;
  int s = 0;
  for (const FramePtr& sub : Subframes) report.Add(sub->ExportAllImages(Location + "_" + Number(++s)));
  if (Subframes.IsEmpty()) WriteImage(*this, Location + ".bmp", report);
  return report;
}

ExportReport classGAFAnimation::ExportAllImages(const std::string& Location) const {
  ExportReport report;
  int f = 0;
  for (const FramePtr& frame : Frames) report.Add(frame->ExportAllImages(Location + Name + "_" + Number(++f)));
  return report;
}

ExportReport classGAF::ExportAllImages(const std::string& Location) const {
  ExportReport report;
  for (const AnimationPtr& animation : Animations) report.Add(animation->ExportAllImages(Location));
  return report;
}

}  // namespace quilmark
