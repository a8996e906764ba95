#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace tarnwick::test {

// tarnwick-cli run as a process of its own, its output gathered in files.
class CliProcess {
public:
    explicit CliProcess(std::vector<std::string> args);
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    int Wait();
    void Interrupt();
    void Kill();  // SIGKILL: the process gets no chance to clean up
    std::string Out() const { return Read("out"); }
    std::string Err() const { return Read("err"); }

private:
    std::string Read(const char* name) const;

    std::filesystem::path m_folder;
    pid_t m_pid = 0;
};

struct CliResult {
    int code;
    std::string out;
    std::string err;
};

CliResult RunCli(std::vector<std::string> args);

bool Has(const std::string& text, const std::string& part);

// What Debian's python3 prints for a script given the path of a file holding `input` (or
// naming `path` directly), parsed as JSON. The readers live in python's own modules (csv,
// openpyxl), so the test does not read our output with our own code.
nlohmann::json PythonJson(const std::string& script, const std::string& path);
nlohmann::json CsvRows(const std::string& csvBytes);  // each record as an array of fields

// Runs a shell command line and gives back its standard output and exit status.
struct ShellResult {
    int code;
    std::string out;
};
ShellResult Shell(const std::string& commandLine);
std::string ShellQuoted(const std::string& text);

}  // namespace tarnwick::test
