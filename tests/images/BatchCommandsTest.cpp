// The batch tool's export and build commands.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "ImageTestSupport.h"
#include "images/BatchCommands.h"
#include "images/FrameImages.h"

namespace quilmark {
namespace {

class Batch : public ::testing::Test {
 protected:
  test::PaletteScope palette{test::DistinctPalette()};
  test::TempDir dir;
  std::ostringstream err;

  // A 2 × 1 bitmap whose table is the game palette (indices come through).
  std::string Bitmap(const std::string& name, uint8_t a, uint8_t b) {
    test::BmpShape s;
    s.width = 2;
    s.height = 1;
    s.table = test::TableOf(std::vector<PaletteEntry>(GamePalette.begin(), GamePalette.end()));
    s.bits = {a, b, 0, 0};
    test::WriteFile(dir.File(name), test::BuildBmp(s));
    return dir.File(name);
  }
  int Lines() const {
    const std::string t = err.str();
    return static_cast<int>(std::count(t.begin(), t.end(), '\n'));
  }
};

TEST_F(Batch, BuildMakesOneFramePerArgumentWithCommaJoinedSubframes) {
  const std::string a = Bitmap("tank.bmp", 1, 2), b = Bitmap("b.bmp", 3, 255), c = Bitmap("c.bmp", 5, 6);
  const std::string out = dir.File("out.gaf");
  ASSERT_EQ(RunBuildCommand({out, "--white", "--compress", a, b + "," + c}, err), 0) << err.str();
  classGAF doc;
  LoadReport report;
  doc.Load(out, nullptr, &report);
  ASSERT_TRUE(report.complete);
  ASSERT_EQ(doc.Animations.Count(), 1);
  const auto anim = doc.Animations.Item(1);
  EXPECT_EQ(anim->Name, "tank");
  ASSERT_EQ(anim->Frames.Count(), 2);
  EXPECT_TRUE(anim->Frames.Item(1)->Subframes.IsEmpty());
  EXPECT_TRUE(anim->Frames.Item(1)->Compressed());
  const auto second = anim->Frames.Item(2);
  ASSERT_EQ(second->Subframes.Count(), 2);
  EXPECT_EQ(second->Subframes.Item(1)->Pixels, (std::vector<uint8_t>{3, 9}));
  EXPECT_EQ(second->Subframes.Item(2)->Pixels, (std::vector<uint8_t>{5, 6}));
}

TEST_F(Batch, BuildIntoAnExistingDocumentAddsAndRefusesATakenName) {
  const std::string a = Bitmap("walk.bmp", 1, 2), b = Bitmap("run.bmp", 3, 4);
  const std::string first = dir.File("first.gaf"), second = dir.File("second.gaf");
  ASSERT_EQ(RunBuildCommand({first, a}, err), 0);
  ASSERT_EQ(RunBuildCommand({second, "--into", first, b}, err), 0) << err.str();
  classGAF doc;
  doc.Load(second);
  ASSERT_EQ(doc.Animations.Count(), 2);
  EXPECT_EQ(doc.Animations.Key(1), "walk");
  EXPECT_EQ(doc.Animations.Key(2), "run");
  // walk again: refused, nothing written.
  EXPECT_EQ(RunBuildCommand({dir.File("third.gaf"), "--into", second, a}, err), 1);
  EXPECT_FALSE(std::filesystem::exists(dir.File("third.gaf")));
  EXPECT_EQ(Lines(), 1);
}

TEST_F(Batch, BuildReportsEveryUnreadableFileAndExitsOne) {
  test::WriteFile(dir.File("bad.bmp"), {'B', 'M'});
  const std::string out = dir.File("out.gaf");
  EXPECT_EQ(RunBuildCommand({out, Bitmap("ok.bmp", 1, 1), dir.File("bad.bmp"), dir.File("none.bmp")}, err), 1);
  EXPECT_EQ(Lines(), 2);
  EXPECT_NE(err.str().find("bad.bmp: There was an error loading the BMP file."), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(out));
}

TEST_F(Batch, BuildUsageErrors) {
  EXPECT_EQ(RunBuildCommand({}, err), 2);
  EXPECT_EQ(RunBuildCommand({dir.File("o.gaf")}, err), 2);
  EXPECT_EQ(RunBuildCommand({dir.File("o.gaf"), "--bogus", "a.bmp"}, err), 2);
  EXPECT_EQ(RunBuildCommand({dir.File("o.gaf"), "a.bmp", "--into"}, err), 2);
  EXPECT_EQ(RunBuildCommand({dir.File("o.gaf"), "a.bmp,,b.bmp"}, err), 2);
  EXPECT_NE(err.str().find("usage: quilmark-cli build"), std::string::npos);
  EXPECT_EQ(RunBuildCommand({dir.File("o.gaf"), "--into", dir.File("missing.gaf"), "a.bmp"}, err), 1);
  EXPECT_FALSE(std::filesystem::exists(dir.File("o.gaf")));
}

TEST_F(Batch, ExportWritesEveryImageIntoTheFolderWithOrWithoutSlash) {
  const std::string gaf = dir.File("doc.gaf");
  ASSERT_EQ(RunBuildCommand({gaf, Bitmap("tank.bmp", 1, 2), Bitmap("b.bmp", 3, 4) + "," + dir.File("b.bmp")}, err),
            0);
  std::filesystem::create_directory(dir.File("out"));
  EXPECT_EQ(RunExportCommand({gaf, dir.File("out")}, err), 0) << err.str();
  EXPECT_TRUE(std::filesystem::exists(dir.File("out/tank_01.bmp")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("out/tank_02_01.bmp")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("out/tank_02_02.bmp")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("out/tank_02.bmp")));
  std::filesystem::create_directory(dir.File("out2"));
  EXPECT_EQ(RunExportCommand({gaf, dir.File("out2") + "/"}, err), 0);
  EXPECT_EQ(test::ReadFile(dir.File("out2/tank_02_02.bmp")), test::ReadFile(dir.File("out/tank_02_02.bmp")));
}

TEST_F(Batch, ExportFailuresAndUsage) {
  EXPECT_EQ(RunExportCommand({}, err), 2);
  EXPECT_EQ(RunExportCommand({"a.gaf"}, err), 2);
  EXPECT_EQ(RunExportCommand({"a.gaf", "b", "c"}, err), 2);
  EXPECT_NE(err.str().find("usage: quilmark-cli export"), std::string::npos);
  err.str("");
  EXPECT_EQ(RunExportCommand({dir.File("missing.gaf"), dir.path()}, err), 1);
  EXPECT_EQ(RunExportCommand({dir.File("missing.gaf"), dir.File("nofolder")}, err), 1);
  EXPECT_EQ(Lines(), 2);
}

}  // namespace
}  // namespace quilmark
