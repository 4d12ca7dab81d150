#include <sstream>

#include <sys/stat.h>

#include "TestSupport.h"
#include "../archive/HpiTestReader.h"
#include "cli/Commands.h"
#include "images/modBmp.h"

namespace quilmark {
namespace {

std::string Crc(std::vector<uint8_t> p) { return std::to_string(crc32(0, p.data(), static_cast<uInt>(p.size()))); }

TEST(CliInfo, PrintsTheDocumentAsJsonAndExitsOneOnPartlyReadFiles) {
  test::TempDir dir;
  auto f = test::MakeFrame(2, 1, {9, 4});
  ASSERT_TRUE(f->SetPositionX(-3));
  f->FPS = 6;
  f->SetCompressed(true);
  auto parent = test::MakeFrame(1, 1, {9});
  parent->Subframes.Add(test::MakeFrame(1, 1, {200}));
  classGAF doc;
  // A name of a Latin-1 é, quotes, a backslash and a control byte.
  test::AddAnimation(doc, "T\xE9st \"q\"\\\x01", {f, parent}, true);
  ASSERT_TRUE(doc.Save(dir.File("d.gaf")).ok);
  std::ostringstream out, err;
  EXPECT_EQ(RunInfoCommand({dir.File("d.gaf")}, out, err), 0);
  const std::string plain = "\"x\": 0, \"y\": 0, \"compressed\": 0, \"fps\": 0, \"crc32\": ";
  EXPECT_EQ(out.str(), "{\"complete\": true, \"animations\": [{\"name\": \"T\xC3\xA9st \\\"q\\\"\\\\\\u0001\", "
                       "\"animated\": true, \"frames\": [{\"width\": 2, \"height\": 1, \"x\": -3, \"y\": 0, "
                       "\"compressed\": 1, \"fps\": 6, \"crc32\": " + Crc({9, 4}) + ", \"subframes\": []}, "
                       "{\"width\": 1, \"height\": 1, " + plain + Crc({9}) + ", \"subframes\": [{\"width\": 1, "
                       "\"height\": 1, " + plain + Crc({200}) + ", \"subframes\": []}]}]}]}\n");
  // Cut short after its header: the JSON is still printed, the exit is 1.
  test::WriteFile(dir.File("cut.gaf"), test::GafHeader(2).i32(20).data);
  out.str("");
  EXPECT_EQ(RunInfoCommand({dir.File("cut.gaf")}, out, err), 1);
  EXPECT_EQ(out.str(), "{\"complete\": false, \"animations\": []}\n");
  EXPECT_NE(err.str().find("cut.gaf"), std::string::npos);
  // What cannot be opened, a named pipe at once, and an archive are said so,
  // with no document printed.
  ASSERT_EQ(::mkfifo(dir.File("pipe.gaf").c_str(), 0600), 0);
  test::WriteFile(dir.File("mod.ufo"), test::Bytes().text("HAPI").i32(0x10000).i32(20).i32(0).i32(20).data);
  for (const auto& [name, why] : {std::pair{"missing.gaf", ": cannot be read: "}, {"pipe.gaf", ": cannot be read: "},
                                   {"mod.ufo", ": a UFO (HPI) archive, not a GAF file"}}) {
    out.str("");
    err.str("");
    EXPECT_EQ(RunInfoCommand({dir.File(name)}, out, err), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find(why), std::string::npos) << err.str();
  }
  EXPECT_EQ(RunInfoCommand({}, out, err), 2);
  EXPECT_EQ(RunInfoCommand({"a", "b"}, out, err), 2);
}

TEST(CliConvert, CompressesAllAndReportsFailures) {
  test::TempDir dir;
  classGAF doc;
  test::AddAnimation(doc, "", {test::MakeFrame(3, 1, {9, 9, 9})});
  ASSERT_TRUE(doc.Save(dir.File("in.gaf")).ok);
  std::ostringstream err;
  EXPECT_EQ(RunConvertCommand({dir.File("in.gaf"), dir.File("out.gaf"), "--compress-all"}, err), 0);
  LoadReport report;
  const classGAF back = test::LoadFromBytes(test::ReadFile(dir.File("out.gaf")), &report);
  ASSERT_TRUE(report.complete);
  const FramePtr f = back.Animations.Item(1)->Frames.Item(1);
  EXPECT_TRUE(f->Compressed());
  EXPECT_EQ(f->Pixels, std::vector<uint8_t>({9, 9, 9}));
  // A save that cannot happen exits 1 and says why.
  EXPECT_EQ(RunConvertCommand({dir.File("in.gaf"), dir.File("no/such/out.gaf")}, err), 1);
  EXPECT_NE(err.str().find("not saved"), std::string::npos);
}

// A typo, a folder, a damaged file, a damaged file onto itself, and two
// animations named alike but for letter case (the second is dropped): convert
// and pack exit 1 naming the input and replace no output, and info says the
// file was not read whole. --partial writes what was read and still says the
// input was not whole, and never writes anything of a missing input.
TEST(CliInputs, AnInputNotReadWholeNeverReplacesTheOutput) {
  test::TempDir dir;
  const std::vector<uint8_t> keep = test::ReadFile(QUILMARK_SOURCE_DIR "/samples/demo.gaf");
  ASSERT_GT(keep.size(), 1000u);
  const std::vector<uint8_t> cut(keep.begin(), keep.end() - 100);
  test::WriteFile(dir.File("cut.gaf"), cut);
  std::filesystem::create_directory(dir.File("folder.gaf"));
  test::Bytes twice = test::GafHeader(2).i32(16).i32(56);
  for (const char* name : {"Tank", "TANK"}) twice.i16(0).i16(0).i32(0).text(name).fill(28, 0);
  test::WriteFile(dir.File("twice.gaf"), twice.data);
  std::ostringstream info, err;
  EXPECT_EQ(RunInfoCommand({dir.File("twice.gaf")}, info, err), 1);
  EXPECT_NE(info.str().find("\"complete\": false"), std::string::npos) << info.str();
  using Command = int (*)(const std::vector<std::string>&, std::ostream&);
  for (const auto& [name, run] : {std::pair<std::string, Command>{"convert", RunConvertCommand}, {"pack", RunPackCommand}}) {
    SCOPED_TRACE(name);
    for (const auto& [in, out] : std::vector<std::pair<std::string, std::string>>{
             {"typo.gaf", "keep"}, {"folder.gaf", "keep"}, {"cut.gaf", "keep"}, {"cut.gaf", "cut.gaf"}, {"twice.gaf", "keep"}}) {
      test::WriteFile(dir.File("keep"), keep);
      err.str("");
      EXPECT_EQ(run({dir.File(in), dir.File(out)}, err), 1) << in;
      EXPECT_NE(err.str().find(dir.File(in)), std::string::npos) << err.str();
      EXPECT_EQ(test::ReadFile(dir.File("keep")), keep) << in;
      EXPECT_EQ(test::ReadFile(dir.File("cut.gaf")), cut) << in;
    }
    err.str("");
    EXPECT_EQ(run({dir.File("cut.gaf"), dir.File("part-" + name + ".out"), "--partial"}, err), 1);
    EXPECT_NE(err.str().find("read only in part"), std::string::npos) << err.str();
    EXPECT_EQ(run({dir.File("typo.gaf"), dir.File("new"), "--partial"}, err), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("new")));
  }
  LoadReport report;
  const classGAF part = test::LoadFromBytes(test::ReadFile(dir.File("part-convert.out")), &report);
  EXPECT_TRUE(report.complete);
  EXPECT_GT(part.Animations.Count(), 0);
  EXPECT_EQ(test::OnlyFile(test::ReadFile(dir.File("part-pack.out"))).first, "textures\\part-pack.gaf");
  // An archive named after its input, whose temporary file would be the input itself.
  ASSERT_EQ(RunConvertCommand({dir.File("cut.gaf"), dir.File("walk.gaf"), "--partial"}, err), 1);
  const std::vector<uint8_t> input = test::ReadFile(dir.File("walk.gaf"));
  ASSERT_EQ(RunPackCommand({dir.File("walk.gaf"), dir.File("walk")}, err), 0) << err.str();
  EXPECT_EQ(test::ReadFile(dir.File("walk.gaf")), input);
  EXPECT_EQ(test::OnlyFile(test::ReadFile(dir.File("walk"))).second, input);
  EXPECT_EQ(RunConvertCommand({dir.File("in.gaf")}, err), 2);
}

// Outputs that are no regular file: a named pipe, and a link the user named
// that leads to a device. Nothing is written to them, nothing replaces them.
TEST(CliOutputs, EveryCommandRefusesAnOutputThatIsNotARegularFile) {
  test::TempDir dir;
  const std::string demo = QUILMARK_SOURCE_DIR "/samples/demo.gaf";
  ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/null", dir.File("device"));
  std::filesystem::create_directory(dir.File("folder"));
  std::ostringstream err;
  ASSERT_EQ(RunExplodeCommand({demo, dir.File("folder")}, err), 0) << err.str();
  ASSERT_TRUE(WriteBMP(dir.File("image.bmp"), std::vector<uint8_t>{1, 2}, GamePalette, 2, 1, true));
  for (const char* target : {"pipe", "device"}) {
    const std::string out = dir.File(target);
    const std::vector<std::pair<std::string, int>> runs = {
        {"convert", RunConvertCommand({demo, out}, err)},
        {"pack", RunPackCommand({demo, out}, err)},
        {"build", RunBuildCommand({out, dir.File("image.bmp")}, err)},
        {"implode", RunImplodeCommand({dir.File("folder"), out}, err)},
    };
    for (const auto& [command, status] : runs) EXPECT_EQ(status, 1) << command << " " << target;
    EXPECT_TRUE(std::filesystem::is_fifo(dir.File("pipe")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("device")));
  }
  const std::string text = err.str();
  size_t refusals = 0;
  for (size_t at = 0; (at = text.find("not a regular file", at)) != std::string::npos; ++at) ++refusals;
  EXPECT_EQ(refusals, 8u) << text;
}

TEST(PackCommand, ExitStatusAndWhereTheDocumentGoes) {
  test::TempDir dir;
  classGAF doc;
  const std::string in = dir.File("in.gaf"), out = dir.File("out.ufo"), usage = "usage: quilmark-cli pack FILE.gaf OUT.ufo [--folder F]";
  ASSERT_TRUE(test::AddAnimation(doc, "tank", {test::MakeFrame(5, 3)}) && doc.Save(in));
  // {arguments, exit status, path in the archive or text on stderr}
  const std::vector<std::tuple<std::vector<std::string>, int, std::string>> cases = {
      {{in, out}, 0, "textures\\out.gaf"},
      {{"--folder", "units/gfx", in, out}, 0, "units\\gfx\\out.gaf"},
      {{in, dir.File("missing/out.ufo")}, 1, "not packed"},
      {{dir.File("nothing.gaf"), dir.File("other.ufo")}, 1, "nothing.gaf"},
      {{dir.path(), dir.File("other.ufo")}, 1, "folder"},
      {{"--folder", "units/../x", in, out}, 1, "is \"..\", which is no folder's name"},
      {{"--folder", ".", in, out}, 1, "is \".\", which is no folder's name"},
      {{"--folder", "a\tb", in, out}, 1, "holds a control character"},
      {{}, 2, usage}, {{"a.gaf"}, 2, usage}, {{"a.gaf", "b.ufo", "c"}, 2, usage}, {{"a.gaf", "b.ufo", "--folder"}, 2, usage},
      {{"a.gaf", "b.ufo", "--level", "3"}, 2, usage}, {{"a.gaf", "b.ufo", "--folder", "x", "--folder", "y"}, 2, usage}};
  for (const auto& [args, status, expected] : cases) {
    std::ostringstream err;
    ASSERT_EQ(RunPackCommand(args, err), status) << err.str();
    const std::string text = err.str();
    if (status != 0) {
      EXPECT_NE(text.find(expected), std::string::npos) << text;
      EXPECT_TRUE(status == 2 || std::count(text.begin(), text.end(), '\n') == 1) << text;
      continue;
    }
    EXPECT_EQ(text, "");
    EXPECT_EQ(test::OnlyFile(test::ReadFile(out)), std::pair(expected, test::ReadFile(in)));
    EXPECT_FALSE(std::filesystem::exists(out + ".gaf"));
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("other.ufo")));
}

}  // namespace
}  // namespace quilmark
