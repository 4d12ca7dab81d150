// The batch commands that build a GAF file from images and export its images:
// arguments, exit statuses, what is written and what is refused.

#include <sstream>

#include <sys/stat.h>

#include "ImageTestSupport.h"
#include "cli/Commands.h"
#include "images/FrameImages.h"

namespace quilmark {
namespace {

using Pixels = std::vector<uint8_t>;
using Names = std::set<std::string>;
using test::BuildPng;
using test::FileNames;
using test::PngShape;

using Args = std::vector<std::string>;

class Batch : public test::ImageTest {
 protected:
  std::ostringstream err;
  int Lines() const {
    const std::string text = err.str();
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  }
};

// PNG and BMP files alike, as frames and as subframes.
TEST_F(Batch, BuildMakesOneFramePerArgumentWithCommaJoinedSubframes) {
  PngShape s{.width = 2, .height = 1, .type = 2};
  for (size_t i : {5, 255}) s.pixels.push_back({GamePalette[i].Red, GamePalette[i].Green, GamePalette[i].Blue});
  const std::string a = Put("tank.png", BuildPng(s)), out = dir.File("out.gaf");
  const std::string b = Bitmap("b.bmp", 2, 1, {3, 255}) + "," + a;
  ASSERT_EQ(RunBuildCommand({out, "--white", "--compress", a, b}, err), 0) << err.str();
  classGAF doc;
  doc.Load(out);
  ASSERT_EQ(doc.Animations.Count(), 1);
  const auto anim = doc.Animations.Item(1);
  EXPECT_EQ(anim->Name, "tank");
  ASSERT_EQ(anim->Frames.Count(), 2);
  EXPECT_TRUE(anim->Frames.Item(1)->Compressed());
  EXPECT_EQ(anim->Frames.Item(1)->Pixels, (Pixels{5, 9}));
  ASSERT_EQ(anim->Frames.Item(2)->Subframes.Count(), 2);
  EXPECT_EQ(anim->Frames.Item(2)->Subframes.Item(1)->Pixels, (Pixels{3, 9}));
  EXPECT_EQ(anim->Frames.Item(2)->Subframes.Item(2)->Pixels, (Pixels{5, 9}));
  // Into that document: run is added; tank again is refused and nothing written.
  ASSERT_EQ(RunBuildCommand({dir.File("two.gaf"), "--into", out, Bitmap("run.bmp", 1, 1)}, err), 0) << err.str();
  doc.Load(dir.File("two.gaf"));
  EXPECT_EQ(doc.Animations.Key(2), "run");
  EXPECT_EQ(RunBuildCommand({dir.File("three.gaf"), "--into", out, a}, err), 1);
  EXPECT_FALSE(std::filesystem::exists(dir.File("three.gaf")));
  // Names are compared as the file keeps them, cut to 32 bytes.
  const std::string long1 = Bitmap(std::string(32, 'n') + "1.bmp", 1, 1), long2 = Bitmap(std::string(32, 'n') + "2.bmp", 1, 1);
  ASSERT_EQ(RunBuildCommand({dir.File("long.gaf"), "--into", out, long1}, err), 0) << err.str();
  EXPECT_EQ(RunBuildCommand({dir.File("four.gaf"), "--into", dir.File("long.gaf"), long2}, err), 1);
  EXPECT_FALSE(std::filesystem::exists(dir.File("four.gaf")));
}

// Each image build cannot use is named with the reason (the 256-colour
// message only for a bitmap of another depth), and nothing is written: the old
// OUT stays, with --into too. --partial keeps them as empty frames and still
// exits 1.
TEST_F(Batch, BuildWritesNothingUnlessEveryImageWasReadAndNamesTheReasonForEach) {
  std::vector<uint8_t> damaged = test::BuildPng({.pixels = {{1}}});
  damaged[damaged.size() - 5] ^= 1;  // the end chunk's checksum
  std::filesystem::create_directory(dir.File("folder.bmp"));
  ASSERT_EQ(::mkfifo(dir.File("pipe.bmp").c_str(), 0600), 0);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {dir.File("missing.bmp"), "no such file"},
      {dir.File("folder.bmp"), "a folder, not a file"},
      {dir.File("pipe.bmp"), "not a regular file"},
      {Put("deep.bmp", test::BuildBmp({.width = 1, .height = 1, .bitCount = 24, .bits = {1, 2, 3, 0}})), std::string(kBmpLoadError) + " (This one has 24 bits per pixel.)"},
      {Put("damaged.png", damaged), "a damaged PNG"},
      {Put("bad.bmp", {'B', 'M'}), "a damaged BMP"},
      {Put("notes.bmp", {'h', 'i', '!'}), "neither a BMP nor a PNG image"},
  };
  const std::string out = dir.File("out.gaf");
  test::WriteFile(out, {'o', 'l', 'd'});
  Args images = {Bitmap("first.bmp", 1, 1)};
  std::string expected;
  for (const auto& [file, why] : cases) {
    images.push_back(file);
    expected += file + ": " + why + "\n";
  }
  for (const Args& before : {Args{out}, {out, "--into", out}}) {
    ASSERT_TRUE(before.size() == 1 || RunBuildCommand({out, Bitmap("run.bmp", 1, 1)}, err) == 0) << err.str();
    const auto old = test::ReadFile(out);
    err.str("");
    Args args = before;
    args.insert(args.end(), images.begin(), images.end());
    EXPECT_EQ(RunBuildCommand(args, err), 1);
    EXPECT_EQ(err.str(), expected + out + ": not written, 7 images could not be read (--partial writes them as empty frames)\n");
    EXPECT_EQ(test::ReadFile(out), old);
  }
  Args partial = {dir.File("part.gaf"), "--partial"};
  partial.insert(partial.end(), images.begin(), images.end());
  EXPECT_EQ(RunBuildCommand(partial, err), 1);
  classGAF doc;
  doc.Load(dir.File("part.gaf"));
  ASSERT_EQ(doc.Animations.Count(), 1);
  // Empty frames are not kept by a file; the readable one is.
  EXPECT_EQ(doc.Animations.Item(1)->Frames.Count(), 1);
}

TEST_F(Batch, APaletteThatGivesNoColoursEndsTheCommandsThatDrawWithIt) {
  const std::string a = Bitmap("tank.bmp", 2, 1, {1, 2}), gaf = dir.File("doc.gaf");
  ASSERT_EQ(RunBuildCommand({gaf, a}, err), 0);
  std::filesystem::create_directory(dir.File("out"));
  std::filesystem::create_directory(dir.File("folder.dat"));
  test::WriteFile(dir.File("empty.dat"), {});
  ASSERT_EQ(::mkfifo(dir.File("pipe.dat").c_str(), 0600), 0);
  for (const char* palette : {"missing.dat", "empty.dat", "folder.dat", "pipe.dat"}) {
    err.str("");
    EXPECT_EQ(RunBuildCommand({dir.File("new.gaf"), a}, err, dir.File(palette)), 1) << palette;
    EXPECT_EQ(RunExportCommand({gaf, dir.File("out")}, err, dir.File(palette)), 1) << palette;
    EXPECT_EQ(Lines(), 2) << err.str();
    EXPECT_NE(err.str().find(palette), std::string::npos);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("new.gaf")));
  EXPECT_TRUE(FileNames(dir.File("out")).empty());
  // A short palette is used, with a warning: its missing colours are black.
  std::vector<uint8_t> triplets(30, 0);
  triplets[3] = 200;
  test::WriteFile(dir.File("short.dat"), triplets);
  err.str("");
  EXPECT_EQ(RunExportCommand({gaf, dir.File("out")}, err, dir.File("short.dat")), 0);
  EXPECT_NE(err.str().find("warning"), std::string::npos);
  EXPECT_EQ(GamePalette[1].Red, 200);
  EXPECT_EQ(GamePalette[200].Red, 0);
  EXPECT_EQ(FileNames(dir.File("out")), Names{"tank_01.bmp"});
}

// BMP files unless PNG is asked for, the option before or after the operands.
TEST_F(Batch, ExportWritesEveryImageIntoTheFolderWithOrWithoutSlash) {
  const std::string gaf = dir.File("doc.gaf"), b = Bitmap("b.bmp", 2, 1, {3, 4});
  ASSERT_EQ(RunBuildCommand({gaf, Bitmap("tank.bmp", 2, 1, {1, 2}), b + "," + b}, err), 0);
  test::WriteFile(dir.File("elsewhere.txt"), {'k'});
  for (const auto& [folder, args, type] :
       {std::tuple{"out", Args{gaf, dir.File("out")}, ".bmp"}, {"out2", Args{gaf, dir.File("out2/"), "--format", "bmp"}, ".bmp"},
        {"png", Args{"--format", "png", gaf, dir.File("png")}, ".png"}}) {
    const std::string at = dir.File(folder);
    std::filesystem::create_directory(at);
    // A link at a name the export makes up is replaced, not written through.
    std::filesystem::create_symlink(dir.File("elsewhere.txt"), at + "/tank_01" + type);
    EXPECT_EQ(RunExportCommand(args, err), 0) << err.str();
    EXPECT_EQ(FileNames(at), (Names{std::string("tank_01") + type, std::string("tank_02_01") + type,
                                    std::string("tank_02_02") + type}));
    EXPECT_FALSE(std::filesystem::is_symlink(at + "/tank_01" + type));
  }
  for (const char* folder : {"out", "out2"})
    EXPECT_EQ(test::ReadFile(dir.File(folder) + "/tank_02_02.bmp"), test::WrittenBmp(2, 1, {3, 4}, GamePalette));
  EXPECT_EQ(test::ReadFile(dir.File("elsewhere.txt")), std::vector<uint8_t>{'k'});
}

PaletteEntry Rgb(int r, int g, int b) { return {uint8_t(b), uint8_t(g), uint8_t(r), 0}; }

// Each image whose colours are not all game colours gets a line, and one
// whose opaque pixels became transparent a warning too; the exit status stays
// 0. With DistinctPalette: game colour 20 off by 5, a colour 1 from game
// colour 9 and nearest to it, and game colour 5 exactly.
TEST_F(Batch, BuildNamesImagesWhoseColoursChangedAndWarnsOfOpaquePixelsMadeTransparent) {
  const auto table = test::TableOf({Rgb(23, 233, 140), Rgb(9, 246, 64), Rgb(5, 250, 35)});
  const auto bmp = [&](const std::string& name, std::vector<uint8_t> bits) {
    const int32_t width = int32_t(bits.size());
    bits.resize((bits.size() + 3) / 4 * 4, 0);
    return Put(name, test::BuildBmp({.width = width, .height = 1, .clrUsed = 3, .table = table, .bits = bits}));
  };
  const std::string many = bmp("many.bmp", {0, 0, 1, 1, 1, 2}), one = bmp("one.bmp", {1, 2}),
                    off = bmp("off.bmp", {2, 0}), exact = bmp("exact.bmp", {2, 2});
  ASSERT_EQ(RunBuildCommand({dir.File("out.gaf"), many, exact + "," + one + "," + many, off}, err), 0);
  EXPECT_EQ(err.str(), many + ": 5 pixels not in the game palette, largest difference 5\n" +
                       many + ": warning: 3 opaque pixels became transparent (their nearest game colour is index 9)\n" +
                       one + ": 1 pixel not in the game palette, largest difference 1\n" +
                       one + ": warning: 1 opaque pixel became transparent (their nearest game colour is index 9)\n" +
                       off + ": 1 pixel not in the game palette, largest difference 5\n");
}

// Grey 100 over black (0 and most), white (1) and grey 100 at 9: dithered
// 0 1 0 0, else all black (ColourMatchTest works it out).
TEST_F(Batch, BuildDithersTruecolourImagesWhenAsked) {
  GamePalette = Palette{};
  GamePalette[1] = Rgb(255, 255, 255);
  GamePalette[TransparentIndex] = Rgb(100, 100, 100);
  const std::vector<test::Samples> greys(4, {100, 100, 100});
  const std::string grey = Put("grey.png", BuildPng({.width = 2, .height = 2, .type = 2, .pixels = greys}));
  for (const auto& [option, pixels, line] : {std::tuple{"--center", Pixels{0, 0, 0, 0}, "difference 300"},
                                             {"--dither", Pixels{0, 1, 0, 0}, "difference 465"}}) {
    err.str("");
    ASSERT_EQ(RunBuildCommand({dir.File("grey.gaf"), option, grey}, err), 0) << err.str();
    classGAF doc;
    doc.Load(dir.File("grey.gaf"));
    EXPECT_EQ(doc.Animations.Item(1)->Frames.Item(1)->Pixels, pixels) << option;
    EXPECT_EQ(err.str(), grey + ": 4 pixels not in the game palette, largest " + line + "\n");
  }
}

TEST_F(Batch, UsageErrorsExitTwoAndFailuresOne) {
  const std::string o = dir.File("o.gaf");
  for (const Args& args : {Args{}, {o}, {o, "--bogus", "a.bmp"}, {o, "a.bmp", "--into"}, {o, "a.bmp,,b.bmp"}})
    EXPECT_EQ(RunBuildCommand(args, err), 2) << args.size();
  EXPECT_NE(err.str().find("usage: quilmark-cli build"), std::string::npos);
  for (const Args& args :
       {Args{}, {"a.gaf"}, {"a.gaf", "b", "c"}, {"a.gaf", "b", "--format"}, {"a.gaf", "b", "--format", "gif"}})
    EXPECT_EQ(RunExportCommand(args, err), 2) << args.size();
  EXPECT_NE(err.str().find("usage: quilmark-cli export FILE.gaf DIR [--format bmp|png]"), std::string::npos);
  err.str("");
  EXPECT_EQ(RunBuildCommand({o, "--into", dir.File("missing.gaf"), "a.bmp"}, err), 1);
  EXPECT_FALSE(std::filesystem::exists(o));
  EXPECT_EQ(RunExportCommand({dir.File("missing.gaf"), dir.path()}, err), 1);
  EXPECT_EQ(RunExportCommand({dir.File("missing.gaf"), dir.File("nofolder")}, err), 1);
  EXPECT_EQ(Lines(), 3);
}

}  // namespace
}  // namespace quilmark
