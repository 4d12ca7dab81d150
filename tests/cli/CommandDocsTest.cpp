// The manual page and the shell completion name every command and option the
// command table has, so that neither falls behind the program.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "cli/Commands.h"

namespace quilmark {
namespace {

std::string SourceFile(const std::string& path) {
  std::ifstream in(std::string(QUILMARK_SOURCE_DIR) + "/" + path);
  EXPECT_TRUE(in) << path;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// How roff spells an option: every "-" escaped.
std::string Roff(const std::string& text) { return std::regex_replace(text, std::regex("-"), "\\-"); }

TEST(CommandDocs, TheManualPageDescribesEveryCommandAndOption) {
  const std::string page = SourceFile("man/quilmark-cli.1");
  for (const std::string global : {"--palette", "--help", "--version"})
    EXPECT_NE(page.find(Roff(global)), std::string::npos) << global;
  for (const CommandLine& line : CommandLines()) {
    // The command's own paragraph: ".BI name " and its operands.
    const size_t at = page.find(".BI " + line.name + " \" " + line.operands.substr(0, line.operands.find(' ')));
    ASSERT_NE(at, std::string::npos) << line.name;
    // Its options, between it and the next command's paragraph.
    const size_t next = page.find("\n.TP\n.BI ", page.find(".RE", at));
    const std::string paragraph = page.substr(at, next == std::string::npos ? std::string::npos : next - at);
    for (const CommandOption& option : line.options)
      EXPECT_NE(paragraph.find(Roff(option.name)), std::string::npos) << line.name << " " << option.name;
  }
}

TEST(CommandDocs, TheCompletionOffersEveryCommandAndOption) {
  const std::string script = SourceFile("data/completion/quilmark-cli");
  std::smatch commands;
  ASSERT_TRUE(std::regex_search(script, commands, std::regex("local commands=\"([^\"]*)\"")));
  std::string listed;
  for (const CommandLine& line : CommandLines()) {
    listed += (listed.empty() ? "" : " ") + line.name;
    // The case branch of the command ("export | explode) options=...").
    std::smatch branch;
    const std::regex pattern("\n\\s*(?:[a-z]+ \\| )*" + line.name + "(?: \\| [a-z]+)*\\) options=\"([^\"]*)\"");
    ASSERT_TRUE(std::regex_search(script, branch, pattern)) << line.name;
    std::string options;
    for (const CommandOption& option : line.options) options += (options.empty() ? "" : " ") + option.name;
    EXPECT_EQ(branch[1].str(), options) << line.name;
  }
  EXPECT_EQ(commands[1].str(), listed);
}

}  // namespace
}  // namespace quilmark
