#include "cli/Options.h"

#include <algorithm>
#include <ostream>

namespace quilmark {

std::vector<std::string> SplitAt(std::string_view text, char separator) {
  std::vector<std::string> parts;
  for (size_t start = 0;;) {
    const size_t at = text.find(separator, start);
    parts.emplace_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
    if (at == std::string_view::npos) return parts;
    start = at + 1;
  }
}

std::vector<std::string> CommandOption::Choices() const {
  if (value.find('|') == std::string::npos) return {};
  return SplitAt(value, '|');
}

std::string Arguments::Value(std::string_view option, const std::string& fallback) const {
  const auto it = values_.find(std::string(option));
  return it == values_.end() ? fallback : it->second;
}

std::optional<Arguments> ReadArguments(const CommandLine& line, const std::vector<std::string>& args,
                                       std::ostream& err) {
  const auto refuse = [&](const std::string& problem) -> std::optional<Arguments> {
    err << problem << "\n" << Usage(line);
    return std::nullopt;
  };
  Arguments read;
  bool options = true;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options && arg == "--") {
      options = false;
      continue;
    }
    // "-" alone is an operand; anything else that starts with "-" is an option.
    if (!options || arg.size() < 2 || arg[0] != '-') {
      if (arg.empty()) return refuse("an empty argument");
      read.operands_.push_back(arg);
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const auto option = std::find_if(line.options.begin(), line.options.end(),
                                     [&](const CommandOption& o) { return o.name == name; });
    if (option == line.options.end()) return refuse("unknown option " + name);
    if (read.values_.count(name)) return refuse(name + " given twice");
    std::string value;
    if (option->value.empty()) {
      if (equals != std::string::npos) return refuse(name + " takes no value");
    } else if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return refuse(name + " needs a value (" + option->value + ")");
    }
    const std::vector<std::string> choices = option->Choices();
    if (!choices.empty() && std::find(choices.begin(), choices.end(), value) == choices.end())
      return refuse(name + " takes " + option->value + ", not \"" + value + "\"");
    if (!option->value.empty() && value.empty()) return refuse(name + " needs a value (" + option->value + ")");
    read.values_[name] = value;
  }
  if (read.operands_.size() < line.least || read.operands_.size() > line.most)
    return refuse(read.operands_.size() < line.least ? "too few arguments" : "too many arguments");
  return read;
}

std::string Usage(const CommandLine& line) {
  std::string usage = "usage: quilmark-cli " + line.name + " " + line.operands;
  for (const CommandOption& option : line.options)
    usage += " [" + option.name + (option.value.empty() ? "" : " " + option.value) + "]";
  return usage + "\n";
}

std::string Help(const CommandLine& line) {
  std::string help = Usage(line) + "\n" + line.summary + "\n";
  if (!line.options.empty()) help += "\noptions:\n";
  for (const CommandOption& option : line.options) {
    std::string head = "  " + option.name + (option.value.empty() ? "" : " " + option.value);
    head.resize(std::max<size_t>(head.size() + 2, 24), ' ');
    help += head + option.help + "\n";
  }
  return help;
}

}  // namespace quilmark
