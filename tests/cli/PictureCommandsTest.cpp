// gif and thumbnail: what ImageMagick and our PNG reader see in their files,
// and what they refuse.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <sstream>

#include "ImageTestSupport.h"
#include "cli/Commands.h"
#include "display/Thumbnail.h"
#include "images/modPng.h"

namespace quilmark {
namespace {

using Args = std::vector<std::string>;
using Pixels = std::vector<uint8_t>;

// What a shell command prints on stdout; its exit status in status.
std::string Shell(const std::string& command, int* status) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  *status = ::pclose(pipe);
  return out;
}

// One picture as ImageMagick decodes it: each pixel's "RRGGBB" and alpha.
struct Decoded {
  int width = 0, height = 0;
  std::map<std::pair<int, int>, std::pair<std::string, int>> pixels;
};

// ImageMagick's text form of one frame of file: "x,y: (...)  #RRGGBBAA ...".
Decoded DecodeWithImageMagick(const std::string& file) {
  int status = -1;
  const std::string text = Shell("convert '" + file + "' txt:- 2>&1", &status);
  EXPECT_EQ(status, 0) << text;
  Decoded decoded;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    int x = 0, y = 0;
    if (std::sscanf(line.c_str(), "# ImageMagick pixel enumeration: %d,%d,", &x, &y) == 2) {
      decoded.width = x;
      decoded.height = y;
      continue;
    }
    // "x,y: (values)  #RRGGBB[AA]  ..."
    const size_t values = line.find(')'), hash = line.find('#', values == std::string::npos ? 0 : values);
    if (std::sscanf(line.c_str(), "%d,%d:", &x, &y) != 2 || values == std::string::npos || hash == std::string::npos)
      continue;
    const std::string hex = line.substr(hash + 1, line.find(' ', hash) - hash - 1);
    const int alpha = hex.size() == 8 ? std::stoi(hex.substr(6), nullptr, 16) : 255;
    decoded.pixels[{x, y}] = {hex.substr(0, 6), alpha};
  }
  return decoded;
}

std::string Hex(const PaletteEntry& colour) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X%02X", colour.Red, colour.Green, colour.Blue);
  return text;
}

// Every pixel of decoded is the game colour of the index expected gives it,
// opaque, or transparent where that index is 9.
void ExpectIndices(const Decoded& decoded, int width, int height, const std::function<uint8_t(int, int)>& expected,
                   const std::string& what) {
  ASSERT_EQ(decoded.width, width) << what;
  ASSERT_EQ(decoded.height, height) << what;
  ASSERT_EQ(decoded.pixels.size(), size_t(width) * size_t(height)) << what;
  for (const auto& [at, colour] : decoded.pixels) {
    const uint8_t index = expected(at.first, at.second);
    if (index == TransparentIndex) {
      EXPECT_EQ(colour.second, 0) << what << " at " << at.first << "," << at.second;
    } else {
      EXPECT_EQ(colour, std::make_pair(Hex(GamePalette[index]), 255))
          << what << " at " << at.first << "," << at.second << ": index " << int(index);
    }
  }
}

FramePtr Placed(FramePtr frame, int x, int y) {
  EXPECT_TRUE(frame->SetPositionX(x) && frame->SetPositionY(y));
  return frame;
}

FramePtr WithSubframes(std::vector<FramePtr> subframes) {
  auto frame = test::MakeFrame(1, 1, {TransparentIndex});
  for (FramePtr& sub : subframes) frame->Subframes.Add(std::move(sub));
  return frame;
}

class Pictures : public test::ImageTest {
 protected:
  std::ostringstream err;

  std::string Save(const std::string& name, const classGAF& doc) {
    const SaveResult saved = doc.Save(dir.File(name));
    EXPECT_TRUE(saved.ok) << saved.error;
    return dir.File(name);
  }
  // A document of one animation of one frame.
  std::string OneFrame(const std::string& name, FramePtr frame) {
    classGAF doc;
    test::AddAnimation(doc, "only", {std::move(frame)});
    return Save(name, doc);
  }
  bool Exists(const std::string& name) const { return ::access(dir.File(name).c_str(), F_OK) == 0; }
};

// Two frames placed apart: one canvas holding both, each frame alone on it,
// every pixel zoomed, the delay and the loop as asked.
TEST_F(Pictures, GifHoldsEveryFramePlacedOnOneCanvas) {
  classGAF doc;
  test::AddAnimation(doc, "Other", {test::MakeFrame(1, 1, {3})});
  // The first frame covers x 0..1 at y 0, the second x 2 at y -1..0: the
  // canvas is 3 × 2 from (0, -1).
  test::AddAnimation(doc, "Walk", {test::MakeFrame(2, 1, {5, 9}), Placed(test::MakeFrame(1, 2, {7, 200}), -2, 1)});
  const std::string file = Save("walk.gaf", doc), out = dir.File("walk.gif");
  ASSERT_EQ(RunGifCommand({file, "walk", out, "--zoom", "2", "--delay=25"}, err), 0) << err.str();

  int status = -1;
  EXPECT_EQ(Shell("identify -format '%W %H %T|' '" + out + "'", &status), "6 4 25|6 4 25|");
  EXPECT_EQ(status, 0);
  const Pixels canvases[2] = {{9, 9, 9, 5, 9, 9}, {9, 9, 7, 9, 9, 200}};
  for (int frame = 0; frame < 2; ++frame) {
    const Decoded decoded = DecodeWithImageMagick(out + "[" + std::to_string(frame) + "]");
    ExpectIndices(
        decoded, 6, 4, [&](int x, int y) { return canvases[frame][size_t(y / 2 * 3 + x / 2)]; },
        "frame " + std::to_string(frame));
  }
  // It loops for ever: the NETSCAPE2.0 block with a count of 0.
  const std::vector<uint8_t> bytes = test::ReadFile(out);
  const std::string loop = std::string("NETSCAPE2.0") + std::string("\x03\x01\x00\x00", 4);
  EXPECT_NE(std::string(bytes.begin(), bytes.end()).find(loop), std::string::npos);

  // Without options: no zoom, a tenth of a second each; the document read
  // from inside an archive (packed as the archive's own name).
  ASSERT_EQ(RunPackCommand({file, dir.File("mod.ufo")}, err), 0) << err.str();
  ASSERT_EQ(RunGifCommand({dir.File("mod.ufo") + ":textures/mod.gaf", "Other", dir.File("other.gif")}, err), 0)
      << err.str();
  EXPECT_EQ(Shell("identify -format '%W %H %T|' '" + dir.File("other.gif") + "'", &status), "1 1 10|");
  ExpectIndices(
      DecodeWithImageMagick(dir.File("other.gif")), 1, 1, [](int, int) { return uint8_t{3}; }, "other");
}

TEST_F(Pictures, GifRefusesWhatItCannotWrite) {
  classGAF doc;
  test::AddAnimation(doc, "Walk", {test::MakeFrame(1, 1, {5})});
  test::AddAnimation(doc, "Blank");
  const std::string file = Save("walk.gaf", doc);
  struct Case {
    Args args;
    int status;
    std::string said;
  };
  const Case cases[] = {
      {{file, "Run", "out.gif"}, 1, "no animation named \"Run\" (it has Walk, Blank)"},
      {{file, "Blank", "out.gif"}, 1, "the animation has no frame with pixels"},
      {{dir.File("missing.gaf"), "Walk", "out.gif"}, 1, "cannot be read"},
      {{file, "Walk", dir.File("no/such/out.gif")}, 1, "not written"},
      {{file, "Walk", "out.gif", "--zoom", "0"}, 2, "--zoom takes a whole number from 1 to 16, not \"0\""},
      {{file, "Walk", "out.gif", "--zoom", "17"}, 2, "--zoom takes a whole number from 1 to 16"},
      {{file, "Walk", "out.gif", "--zoom", "2x"}, 2, "--zoom takes a whole number"},
      {{file, "Walk", "out.gif", "--delay", "-1"}, 2, "--delay takes a whole number from 0 to 65535"},
      {{file, "Walk", "out.gif", "--delay", "65536"}, 2, "--delay takes a whole number"},
      {{file, "Walk"}, 2, "too few arguments"},
  };
  for (const Case& c : cases) {
    err.str("");
    Args args = c.args;
    if (args.size() > 2 && args[2] == "out.gif") args[2] = dir.File("out.gif");
    EXPECT_EQ(RunGifCommand(args, err), c.status) << c.said;
    EXPECT_NE(err.str().find(c.said), std::string::npos) << err.str();
    EXPECT_FALSE(Exists("out.gif")) << c.said;
  }
}

// The thumbnail's pixels and colours as our PNG reader and ImageMagick see them.
TEST_F(Pictures, ThumbnailIsTheFirstFrameComposedAndScaledByWholeSteps) {
  // The first frame of the first animation counts, not the others.
  classGAF doc;
  test::AddAnimation(doc, "first", {test::MakeFrame(3, 2, {1, 2, 3, 4, 5, 6}), test::MakeFrame(1, 1, {8})});
  test::AddAnimation(doc, "second", {test::MakeFrame(1, 1, {8})});
  const std::string plain = Save("plain.gaf", doc);
  // Two subframes, the second drawn over the first's transparent pixel.
  const std::string composed = OneFrame(
      "composed.gaf", WithSubframes({test::MakeFrame(2, 1, {5, 9}), Placed(test::MakeFrame(1, 1, {7}), -1, 0)}));
  struct Case {
    std::string file;
    Args size;
    int width, height;
    Pixels pixels;
  };
  const Case cases[] = {
      {plain, {"--size", "8"}, 6, 4, {1, 1, 2, 2, 3, 3, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 4, 4, 5, 5, 6, 6}},
      {plain, {"--size", "3"}, 3, 2, {1, 2, 3, 4, 5, 6}},
      {plain, {"--size", "5"}, 3, 2, {1, 2, 3, 4, 5, 6}},
      {plain, {"--size", "2"}, 2, 1, {1, 2}},
      {plain, {"--size", "1"}, 1, 1, {1}},
      {composed, {"--size", "4"}, 4, 2, {5, 5, 7, 7, 5, 5, 7, 7}},
      {composed, {"--size=1024"}, 1024, 512, {}},
      {composed, {}, 128, 64, {}},  // 128 without --size
  };
  for (const Case& c : cases) {
    const std::string what = c.file + " " + (c.size.empty() ? "" : c.size.back());
    Args args = {c.file, dir.File("out.png")};
    args.insert(args.end(), c.size.begin(), c.size.end());
    ASSERT_EQ(RunThumbnailCommand(args, err), 0) << what << ": " << err.str();
    const std::vector<uint8_t> png = test::ReadFile(dir.File("out.png"));
    LoadedBitmap read;
    ASSERT_TRUE(DecodePNG(png.data(), png.size(), read)) << what;
    EXPECT_EQ(read.BMPInfoHeader.Width, c.width) << what;
    EXPECT_EQ(read.BMPInfoHeader.Height, c.height) << what;
    if (!c.pixels.empty()) {
      EXPECT_EQ(read.BMPPixels, c.pixels) << what;
    }
    // The game palette, index 9 alone transparent.
    for (size_t i = 0; i < 256; ++i) EXPECT_EQ(Hex(read.BMPPalette[i]), Hex(GamePalette[i])) << what << " " << i;
    EXPECT_EQ(read.TransparentEntries.count(), 1u) << what;
    EXPECT_TRUE(read.TransparentEntries.test(TransparentIndex)) << what;
  }
  // Transparent pixels are alpha 0 to another reader too.
  const std::string holed = OneFrame("holed.gaf", test::MakeFrame(3, 1, {9, 4, 9}));
  ASSERT_EQ(RunThumbnailCommand({holed, dir.File("holed.png"), "--size", "6"}, err), 0) << err.str();
  const Pixels row = {9, 4, 9};
  ExpectIndices(
      DecodeWithImageMagick(dir.File("holed.png")), 6, 2, [&](int x, int) { return row[size_t(x / 2)]; }, "holed");
}

// Files a file manager may hand over: each is refused with exit 1 and a
// reason, writes nothing, and neither crashes nor waits.
TEST_F(Pictures, ThumbnailRefusesHostileAndHugeFiles) {
  classGAF empty_doc, frameless;
  test::AddAnimation(frameless, "none");
  std::vector<uint8_t> garbage(4000);
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 131 + 17);
  garbage[0] = 0x00, garbage[1] = 0x01, garbage[2] = 0x01, garbage[3] = 0x00;  // a GAF file's start
  ASSERT_EQ(::mkfifo(dir.File("pipe.gaf").c_str(), 0600), 0);
  ASSERT_EQ(::mkdir(dir.File("folder.gaf").c_str(), 0700), 0);
  // A frame whose subframes lie as far apart as positions allow: a box of 65536 × 65536.
  const std::string apart = OneFrame("apart.gaf", WithSubframes({Placed(test::MakeFrame(1, 1, {5}), 32767, 32767),
                                                                 Placed(test::MakeFrame(1, 1, {6}), -32768, -32768)}));
  // A sound file of one frame, grown past 64 MiB without anything written
  // (sparse): only its size is wrong.
  const std::string huge = OneFrame("huge.gaf", test::MakeFrame(2, 2, {1, 2, 3, 4}));
  ASSERT_EQ(::truncate(huge.c_str(), (off_t{64} << 20) + 1), 0);

  const std::pair<std::string, std::string> cases[] = {
      {dir.File("missing.gaf"), ""},
      {dir.File("folder.gaf"), ""},
      {dir.File("pipe.gaf"), ""},
      {Put("empty.gaf", {}), "the file is empty"},
      {Put("short.gaf", {0, 1, 1}), "too short"},
      {Put("garbage.gaf", garbage), ""},
      {Put("mod.ufo", test::Bytes().text("HAPI").i32(0x10000).i32(20).i32(0).i32(20).data), "archive"},
      {Save("no-animation.gaf", empty_doc), "it holds no animation"},
      {Save("no-frame.gaf", frameless), "its first animation has no frame"},
      {apart, "65536 x 65536 pixels apart"},
      {huge, "holds 67108865 bytes"},
  };
  for (const auto& [file, said] : cases) {
    err.str("");
    EXPECT_EQ(RunThumbnailCommand({file, dir.File("out.png"), "--size", "64"}, err), 1) << file;
    EXPECT_NE(err.str().find(file + ": no thumbnail: "), std::string::npos) << err.str();
    EXPECT_NE(err.str().find(said), std::string::npos) << err.str();
    EXPECT_FALSE(Exists("out.png")) << file;
  }
  // At the limit itself it is read.
  ASSERT_EQ(::truncate(huge.c_str(), off_t{64} << 20), 0);
  EXPECT_EQ(RunThumbnailCommand({huge, dir.File("out.png"), "--size", "64"}, err), 0) << err.str();
  // Sizes out of range are usage errors.
  for (const std::string size : {"0", "1025", "-3", "big", ""}) {
    err.str("");
    EXPECT_EQ(RunThumbnailCommand({huge, dir.File("bad.png"), "--size=" + size}, err), 2) << size;
    EXPECT_FALSE(Exists("bad.png"));
  }
}

// A file cut short after its first animation still has a thumbnail.
TEST_F(Pictures, ThumbnailOfAFileReadInPartIsOfWhatWasRead) {
  classGAF doc;
  test::AddAnimation(doc, "first", {test::MakeFrame(2, 1, {5, 6})});
  test::AddAnimation(doc, "second", {test::MakeFrame(40, 40)});
  const std::vector<uint8_t> whole = test::SaveToBytes(doc);
  ASSERT_GT(whole.size(), 100u);
  const std::vector<uint8_t> bytes(whole.begin(), whole.end() - 100);
  LoadReport report;
  const classGAF cut = test::LoadFromBytes(bytes, &report);
  ASSERT_FALSE(report.complete);
  ASSERT_EQ(cut.Animations.Item(1)->Frames.Item(1)->Pixels, (Pixels{5, 6}));
  ASSERT_EQ(RunThumbnailCommand({Put("cut.gaf", bytes), dir.File("cut.png"), "--size", "2"}, err), 0) << err.str();
  const std::vector<uint8_t> png = test::ReadFile(dir.File("cut.png"));
  LoadedBitmap read;
  ASSERT_TRUE(DecodePNG(png.data(), png.size(), read));
  EXPECT_EQ(read.BMPPixels, (Pixels{5, 6}));
}

// Each limit holds where it is set: at it a thumbnail is made, past it not.
TEST_F(Pictures, ThumbnailLimitsHoldAtTheirEdges) {
  const std::string plain = OneFrame("plain.gaf", test::MakeFrame(4, 3));
  const std::string composed =
      OneFrame("composed.gaf", WithSubframes({test::MakeFrame(1, 1, {5}), Placed(test::MakeFrame(1, 1, {6}), -5, -1)}));
  const auto size = static_cast<int64_t>(test::ReadFile(plain).size());
  struct Case {
    std::string file;
    ThumbnailLimits limits;
    bool made;
    std::string said;
  };
  const Case cases[] = {
      {plain, {.fileBytes = size}, true, ""},
      {plain, {.fileBytes = size - 1}, false, "bytes a thumbnail is made of"},
      {plain, {.loadPixels = 12}, true, ""},
      {plain, {.loadPixels = 11}, false, "no frame that could be read"},
      // The box of the two subframes is 6 × 2.
      {composed, {.composedPixels = 12}, true, ""},
      {composed, {.composedPixels = 11}, false, "6 x 2 pixels apart"},
  };
  for (const Case& c : cases) {
    GafInput in;
    ASSERT_TRUE(in.OpenFile(c.file));
    ComposedImage image;
    std::string why;
    EXPECT_EQ(MakeThumbnail(in, 16, image, &why, c.limits), c.made) << c.said << ": " << why;
    EXPECT_NE(why.find(c.said), std::string::npos) << why;
    EXPECT_EQ(image.Empty(), !c.made);
  }
}

}  // namespace
}  // namespace quilmark
