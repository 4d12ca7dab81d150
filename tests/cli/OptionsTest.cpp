// The one reader every command's arguments go through.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/Commands.h"

namespace quilmark {
namespace {

const CommandLine kLine{"try", "IN OUT", 2, 2,
                        {{"--flag", "", "a flag"}, {"--value", "V", "a value"}, {"--choice", "a|b", "a choice"}},
                        "A command to try the reader on."};

TEST(Options, OperandsOptionsAndValuesAreReadByTheTable) {
  std::ostringstream err;
  const auto read = ReadArguments(kLine, {"--value", "v1", "in", "--flag", "--choice=b", "--", "--out"}, err);
  ASSERT_TRUE(read) << err.str();
  EXPECT_EQ(read->Operands(), (std::vector<std::string>{"in", "--out"}));
  EXPECT_TRUE(read->Has("--flag"));
  EXPECT_EQ(read->Value("--value"), "v1");
  EXPECT_EQ(read->Value("--choice"), "b");
  EXPECT_EQ(read->Value("--missing", "fallback"), "fallback");
  EXPECT_EQ(err.str(), "");
  // "-" alone is an operand.
  EXPECT_TRUE(ReadArguments(kLine, {"-", "out"}, err));
}

TEST(Options, WhatDoesNotFitTheTableIsNamedBeforeTheUsage) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"in", "out", "--bogus"}, "unknown option --bogus"},
      {{"in", "out", "-x"}, "unknown option -x"},
      {{"in", "out", "--flag", "--flag"}, "--flag given twice"},
      {{"in", "out", "--flag=1"}, "--flag takes no value"},
      {{"in", "out", "--value"}, "--value needs a value (V)"},
      {{"in", "out", "--value="}, "--value needs a value (V)"},
      {{"in", "out", "--choice", "c"}, "--choice takes a|b, not \"c\""},
      {{"in"}, "too few arguments"},
      {{"in", "out", "more"}, "too many arguments"},
      {{"in", ""}, "an empty argument"},
  };
  for (const auto& [args, problem] : cases) {
    std::ostringstream err;
    EXPECT_FALSE(ReadArguments(kLine, args, err)) << problem;
    EXPECT_EQ(err.str(), problem + "\nusage: quilmark-cli try IN OUT [--flag] [--value V] [--choice a|b]\n");
  }
}

// Every command refuses an unknown option the same way, before it reads or
// writes anything, and its help comes from the same table.
TEST(Options, EveryCommandRefusesAnUnknownOptionAlike) {
  using Run = int (*)(const CommandArgs&, std::ostream&);
  const std::pair<const char*, Run> commands[] = {
      {"convert", RunConvertCommand},
      {"pack", RunPackCommand},
      {"extract", RunExtractCommand},
      {"list", [](const CommandArgs& a, std::ostream& e) {
         std::ostringstream out;
         return RunListCommand(a, out, e);
       }},
      {"export", [](const CommandArgs& a, std::ostream& e) { return RunExportCommand(a, e); }},
      {"build", [](const CommandArgs& a, std::ostream& e) { return RunBuildCommand(a, e); }},
      {"explode", [](const CommandArgs& a, std::ostream& e) { return RunExplodeCommand(a, e); }},
      {"implode", [](const CommandArgs& a, std::ostream& e) { return RunImplodeCommand(a, e); }},
      {"info", [](const CommandArgs& a, std::ostream& e) {
         std::ostringstream out;
         return RunInfoCommand(a, out, e);
       }},
      {"gif", [](const CommandArgs& a, std::ostream& e) { return RunGifCommand(a, e); }},
      {"thumbnail", [](const CommandArgs& a, std::ostream& e) { return RunThumbnailCommand(a, e); }},
  };
  ASSERT_EQ(CommandLines().size(), std::size(commands));
  for (const auto& [name, run] : commands) {
    std::ostringstream err;
    EXPECT_EQ(run({"/no/such/a", "/no/such/b", "--bogus"}, err), 2) << name;
    const CommandLine* line = FindCommandLine(name);
    ASSERT_NE(line, nullptr) << name;
    EXPECT_EQ(err.str(), "unknown option --bogus\n" + Usage(*line)) << name;
    EXPECT_EQ(Help(*line).rfind(Usage(*line), 0), 0u) << name;
    for (const CommandOption& option : line->options)
      EXPECT_NE(Help(*line).find(option.name), std::string::npos) << name << " " << option.name;
  }
}

}  // namespace
}  // namespace quilmark
