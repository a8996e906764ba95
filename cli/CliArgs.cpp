#include "CliArgs.h"

#include <algorithm>

namespace tarnwick::cli {

CliArgs CliArgs::Parse(int argc, char** argv, const std::vector<std::string>& knownOptions,
                       const std::vector<std::string>& knownFlags) {
    CliArgs args;
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (word.rfind("--", 0) == 0 && word.size() > 2) {
            std::string name = word.substr(2);
            if (std::find(knownFlags.begin(), knownFlags.end(), name) != knownFlags.end()) {
                args.flags.insert(name);
                continue;
            }
            std::string value;
            if (auto equals = name.find('='); equals != std::string::npos) {
                value = name.substr(equals + 1);
                name.resize(equals);
            } else if (i + 1 < argc) {
                value = argv[++i];
            } else {
                throw UsageError("option --" + name + " needs a value");
            }
            if (std::find(knownOptions.begin(), knownOptions.end(), name) == knownOptions.end()) {
                throw UsageError("unknown option --" + name);
            }
            args.options[name] = value;
        } else if (args.command.empty()) {
            args.command = word;
        } else {
            args.positionals.push_back(word);
        }
    }
    return args;
}

std::optional<std::string> CliArgs::Option(const std::string& name) const {
    auto it = options.find(name);
    if (it == options.end()) {
        return std::nullopt;
    }
    return it->second;
}

}  // namespace tarnwick::cli
