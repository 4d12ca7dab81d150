// The batch tool's command lines. Each command describes its operands and
// options in one table (a CommandLine); one reader takes every command's
// arguments by its table, and its usage and help are written from it, so
// that every command refuses the same things the same way.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quilmark {

struct CommandOption {
  std::string name;   // "--format"
  std::string value;  // what follows it as usage shows it ("F", "bmp|png"); empty for a flag
  std::string help;   // one line for --help
  // A value of words joined by "|" takes those words only.
  std::vector<std::string> Choices() const;
};

struct CommandLine {
  std::string name;      // "export"
  std::string operands;  // as usage shows them: "FILE.gaf DIR"
  size_t least = 0;      // how many operands it takes
  size_t most = 0;
  std::vector<CommandOption> options;
  std::string summary;  // what the command does, for --help (may hold several lines)
};

// The arguments of one command as read by its table.
class Arguments {
 public:
  const std::vector<std::string>& Operands() const { return operands_; }
  const std::string& Operand(size_t i) const { return operands_[i]; }
  bool Has(std::string_view option) const { return values_.count(std::string(option)) > 0; }
  // An option's value; fallback when it was not given.
  std::string Value(std::string_view option, const std::string& fallback = "") const;

 private:
  friend std::optional<Arguments> ReadArguments(const CommandLine&, const std::vector<std::string>&, std::ostream&);
  std::vector<std::string> operands_;
  std::map<std::string, std::string> values_;
};

// Reads args by the table: options anywhere ("--name value" or
// "--name=value"), "--" ending them, every other argument an operand. Nothing
// (and the problem in one line, then the usage, on err) for an option the
// table does not have, one given twice, a value missing or not among its
// choices, an empty operand, or a number of operands the table does not take.
std::optional<Arguments> ReadArguments(const CommandLine& line, const std::vector<std::string>& args,
                                       std::ostream& err);

// text cut at each separator: "a,b" gives {"a", "b"}, "" gives {""}.
std::vector<std::string> SplitAt(std::string_view text, char separator);

// "usage: quilmark-cli export FILE.gaf DIR [--format bmp|png]\n"
std::string Usage(const CommandLine& line);
// The usage, the summary and a line per option.
std::string Help(const CommandLine& line);

}  // namespace quilmark
