// The manual page and the shell completion name every command and option the
// command table has, so that neither falls behind the program.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
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
std::string Roff(const std::string& text) {
  std::string roff;
  for (const char c : text) roff += c == '-' ? std::string("\\-") : std::string(1, c);
  return roff;
}

// The text between the quotes that follow what in text; nothing when absent.
std::optional<std::string> QuotedAfter(const std::string& text, const std::string& what) {
  const size_t at = text.find(what + "\"");
  if (at == std::string::npos) return std::nullopt;
  const size_t start = at + what.size() + 1, end = text.find('"', start);
  if (end == std::string::npos) return std::nullopt;
  return text.substr(start, end - start);
}

// The options of the completion's case branch for command: the line
// "a | command | b) options=\"...\"".
std::optional<std::string> BranchOptions(const std::string& script, const std::string& command) {
  std::istringstream lines(script);
  for (std::string line; std::getline(lines, line);) {
    const size_t close = line.find(") options=\"");
    if (close == std::string::npos) continue;
    std::string names = line.substr(0, close);
    names.erase(0, names.find_first_not_of(' '));
    for (const std::string& name : SplitAt(names, '|')) {
      const size_t first = name.find_first_not_of(' '), last = name.find_last_not_of(' ');
      if (first != std::string::npos && name.substr(first, last - first + 1) == command)
        return QuotedAfter(line, ") options=");
    }
  }
  return std::nullopt;
}

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
  const std::optional<std::string> commands = QuotedAfter(script, "local commands=");
  ASSERT_TRUE(commands);
  std::string listed;
  for (const CommandLine& line : CommandLines()) {
    listed += (listed.empty() ? "" : " ") + line.name;
    const std::optional<std::string> branch = BranchOptions(script, line.name);
    ASSERT_TRUE(branch) << line.name;
    std::string options;
    for (const CommandOption& option : line.options) options += (options.empty() ? "" : " ") + option.name;
    EXPECT_EQ(*branch, options) << line.name;
  }
  EXPECT_EQ(*commands, listed);
}

}  // namespace
}  // namespace quilmark
