#include "cli/arguments.h"

namespace cli {

std::optional<std::string> Arguments::Option(const std::string& name) const {
  for (const auto& [k, v] : options)
    if (k == name) return v;
  return std::nullopt;
}

bool Arguments::Flag(const std::string& name) const {
  for (const auto& f : flags)
    if (f == name) return true;
  return false;
}

Arguments SplitArguments(const std::vector<std::string>& args,
                         const std::vector<std::string>& valued,
                         const std::vector<std::string>& switches) {
  Arguments a;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0) {
      a.positional.push_back(arg);
      continue;
    }
    bool known = false;
    for (const auto& v : valued) {
      if (arg != v) continue;
      known = true;
      if (i + 1 >= args.size()) {
        a.error = arg + " needs a value";
      } else {
        a.options.emplace_back(arg, args[++i]);
      }
    }
    for (const auto& s : switches) {
      if (arg != s) continue;
      known = true;
      a.flags.push_back(arg);
    }
    if (!known && a.error.empty()) a.error = "unknown option " + arg;
  }
  return a;
}

}  // namespace cli
