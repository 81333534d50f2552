#include "cli/arguments.h"

#include <algorithm>

namespace cli {
namespace {

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

std::optional<std::string> Arguments::Option(const std::string& name) const {
  for (const auto& [k, v] : options)
    if (k == name) return v;
  return std::nullopt;
}

bool Arguments::Flag(const std::string& name) const { return Contains(flags, name); }

Arguments SplitArguments(const std::vector<std::string>& args, const OptionNames& names) {
  Arguments a;
  auto fail = [&a](const std::string& message) {
    if (a.error.empty()) a.error = message;
  };
  for (size_t i = 1; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg == "-p" && Contains(names.optional, "--password")) {
      a.flags.push_back("--password");
      continue;
    }
    if (arg.rfind("--", 0) != 0) {
      a.positional.push_back(arg);
      continue;
    }
    std::optional<std::string> value;
    if (const size_t equals = arg.find('='); equals != std::string::npos) {
      value = arg.substr(equals + 1);
      arg.erase(equals);
    }
    if (Contains(names.valued, arg)) {
      if (!value && i + 1 < args.size()) value = args[++i];
      if (value)
        a.options.emplace_back(arg, *value);
      else
        fail(arg + " needs a value");
    } else if (Contains(names.optional, arg)) {
      if (!value && i + 1 < args.size() && args[i + 1].rfind('-', 0) != 0) value = args[++i];
      if (value)
        a.options.emplace_back(arg, *value);
      else
        a.flags.push_back(arg);
    } else if (Contains(names.switches, arg)) {
      if (value)
        fail(arg + " takes no value");
      else
        a.flags.push_back(arg);
    } else {
      fail("unknown option " + arg);
    }
  }
  return a;
}

}  // namespace cli
