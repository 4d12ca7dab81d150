// Makes the demo document samples/demo.gaf and the demo palette
// samples/palette.dat into the folder given as the only argument. Everything
// in them is drawn here; the output is the same on every run.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "document/classGAF.h"

using namespace quilmark;

namespace {

// A palette of our own: 0 black, 1-15 greys, then six hue ramps, 255 a dark
// slate that marks transparent pixels and view backgrounds.
bool WritePalette(const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  for (int i = 0; i < 256; ++i) {
    int r, g, b;
    if (i < 16) {
      r = g = b = i * 17;
    } else if (i == 255) {
      r = 40, g = 52, b = 70;
    } else {
      const int hue = (i - 16) / 40;       // 0..5
      const int level = (i - 16) % 40;     // dark to light
      static const int base[6][3] = {{255, 40, 40}, {255, 170, 30}, {240, 230, 40},
                                     {50, 200, 60}, {40, 120, 255}, {190, 70, 230}};
      const double t = 0.25 + 0.75 * level / 39.0;
      r = static_cast<int>(base[hue][0] * t);
      g = static_cast<int>(base[hue][1] * t);
      b = static_cast<int>(base[hue][2] * t);
    }
    out.put(static_cast<char>(r)).put(static_cast<char>(g)).put(static_cast<char>(b));
  }
  return static_cast<bool>(out);
}

uint8_t Ramp(int hue, int level) { return static_cast<uint8_t>(16 + hue * 40 + std::max(0, std::min(39, level))); }

FramePtr Blank(int w, int h, int px, int py, bool compressed, int fps) {
  auto f = std::make_shared<classGAFFrame>();
  f->SetWidth(w);
  f->SetHeight(h);
  std::fill(f->Pixels.begin(), f->Pixels.end(), TransparentIndex);
  (void)f->SetPositionX(px);
  (void)f->SetPositionY(py);
  f->SetCompressed(compressed);
  f->FPS = fps;
  return f;
}

void Put(classGAFFrame& f, int x, int y, uint8_t v) {
  if (x >= 0 && y >= 0 && x < f.Width() && y < f.Height()) f.Pixels[static_cast<size_t>(y * f.Width() + x)] = v;
}

// A bar turning about the middle of a disc.
FramePtr SpinnerFrame(int step) {
  auto f = Blank(48, 48, 24, 24, false, 1);
  const double angle = step * 3.14159265358979 / 8;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x) {
      const double dx = x - 23.5, dy = y - 23.5, d = std::sqrt(dx * dx + dy * dy);
      if (d < 22) Put(*f, x, y, Ramp(4, static_cast<int>(30 - d)));
      const double along = dx * std::cos(angle) + dy * std::sin(angle);
      const double across = -dx * std::sin(angle) + dy * std::cos(angle);
      if (std::fabs(across) < 3 && std::fabs(along) < 19) Put(*f, x, y, Ramp(2, 30 + static_cast<int>(along / 2)));
    }
  return f;
}

// A tank: hull and turret as two subframes placed by their own origins.
FramePtr TankFrame(int step) {
  auto frame = Blank(1, 1, 0, 0, true, 2);
  auto hull = Blank(64, 40, 32, 20, true, 2);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 64; ++x) {
      const bool track = y < 8 || y >= 32;
      const bool tread = track && ((x + step * 3) % 6) < 3;
      if (track) Put(*hull, x, y, tread ? 3 : 6);
      else if (x > 2 && x < 61) Put(*hull, x, y, Ramp(3, 12 + (y - 8) / 2));
    }
  auto turret = Blank(44, 20, 12 - step, 10, true, 2);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 24; ++x) {
      const double dx = x - 11.5, dy = y - 9.5;
      if (dx * dx + dy * dy < 90) Put(*turret, x, y, Ramp(3, 28 - static_cast<int>(std::sqrt(dx * dx + dy * dy))));
    }
  for (int y = 8; y < 12; ++y)
    for (int x = 20; x < 44; ++x) Put(*turret, x, y, 10);
  frame->Subframes.Add(hull);
  frame->Subframes.Add(turret);
  return frame;
}

// A blast growing ring by ring.
FramePtr BlastFrame(int step, bool compressed) {
  const int size = 24 + step * 16;
  auto f = Blank(size, size, size / 2, size / 2, compressed, 1);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double dx = x - size / 2.0 + 0.5, dy = y - size / 2.0 + 0.5, d = std::sqrt(dx * dx + dy * dy);
      const double r = size / 2.0 - 1;
      if (d < r) Put(*f, x, y, Ramp(d < r / 2 ? 2 : (d < r * 0.8 ? 1 : 0), static_cast<int>(39 - d * 30 / r)));
    }
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-demo-gaf FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  classGAF doc;
  auto spinner = std::make_shared<classGAFAnimation>();
  spinner->Name = "spinner";
  spinner->Animated = true;
  for (int i = 0; i < 8; ++i) spinner->Frames.Add(SpinnerFrame(i));
  doc.Animations.Add(spinner, spinner->Name);

  auto tank = std::make_shared<classGAFAnimation>();
  tank->Name = "tank";
  tank->Animated = true;
  for (int i = 0; i < 4; ++i) tank->Frames.Add(TankFrame(i));
  doc.Animations.Add(tank, tank->Name);

  auto blast = std::make_shared<classGAFAnimation>();
  blast->Name = "blast";
  blast->Animated = false;
  blast->Frames.Add(BlastFrame(0, true));
  blast->Frames.Add(BlastFrame(1, false));
  auto last = BlastFrame(2, true);
  blast->Frames.Add(last);
  // A frame made of one subframe: the blast with a spark over it.
  auto group = Blank(1, 1, 0, 0, false, 1);
  group->Subframes.Add(BlastFrame(3, false));
  auto spark = Blank(8, 8, 4, 4, true, 1);
  for (int y = 0; y < 8; ++y) Put(*spark, y, y, 15), Put(*spark, 7 - y, y, 15);
  group->Subframes.Add(spark);
  blast->Frames.Add(group);
  doc.Animations.Add(blast, blast->Name);

  auto empty = std::make_shared<classGAFAnimation>();
  empty->Name = "empty";
  doc.Animations.Add(empty, empty->Name);

  if (!WritePalette(folder + "/palette.dat")) {
    std::fprintf(stderr, "cannot write %s/palette.dat\n", folder.c_str());
    return 1;
  }
  const SaveResult saved = doc.Save(folder + "/demo.gaf");
  if (!saved) {
    std::fprintf(stderr, "cannot write %s/demo.gaf: %s\n", folder.c_str(), saved.error.c_str());
    return 1;
  }
  return 0;
}
