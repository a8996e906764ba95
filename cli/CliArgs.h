#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarnwick::cli {

// A command line that cannot be carried out; the message says why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "COMMAND [--option VALUE]... [--flag]... [POSITIONAL]...": options take a value, flags none.
struct CliArgs {
    std::string command;
    std::map<std::string, std::string> options;  // without the leading "--"
    std::vector<std::string> positionals;

    static CliArgs Parse(int argc, char** argv, const std::vector<std::string>& knownOptions,
                         const std::vector<std::string>& knownFlags = {});
    std::optional<std::string> Option(const std::string& name) const;
    bool Flag(const std::string& name) const { return options.count(name) != 0; }
};

}  // namespace tarnwick::cli
