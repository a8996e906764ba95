#include "CliSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "support/TempDatabase.h"

extern char** environ;

namespace tarnwick::test {
namespace fs = std::filesystem;

CliProcess::CliProcess(std::vector<std::string> args) : m_folder(TempDatabase::MakeTempFolder()) {
    args.insert(args.begin(), TARNWICK_CLI);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (m_folder / "out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, (m_folder / "err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    int rc = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        throw std::runtime_error("cannot start tarnwick-cli");
    }
}

CliProcess::~CliProcess() {
    if (m_pid != 0) {
        kill(m_pid, SIGKILL);
        Wait();
    }
    fs::remove_all(m_folder);
}

int CliProcess::Wait() {
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void CliProcess::Interrupt() {
    kill(m_pid, SIGINT);
}

void CliProcess::Kill() {
    kill(m_pid, SIGKILL);
}

std::string CliProcess::Read(const char* name) const {
    std::ifstream in(m_folder / name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

CliResult RunCli(std::vector<std::string> args) {
    CliProcess process(std::move(args));
    int code = process.Wait();
    return {code, process.Out(), process.Err()};
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

namespace {

struct PipeCloser {
    void operator()(std::FILE* pipe) const { pclose(pipe); }
};

}  // namespace

ShellResult Shell(const std::string& commandLine) {
    std::FILE* raw = popen(commandLine.c_str(), "r");
    if (raw == nullptr) {
        ADD_FAILURE() << "cannot run " << commandLine;
        return {-1, ""};
    }
    std::string output;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, raw)) {
        output.append(buffer, n);
    }
    const int status = pclose(raw);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

nlohmann::json PythonJson(const std::string& script, const std::string& path) {
    // Debian's own interpreter carries python3-openpyxl; one earlier on PATH may not.
    const std::string python = fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    const ShellResult result = Shell("PYTHONIOENCODING=utf-8 " + python + " - " +
                                     ShellQuoted(path) + " <<'PY'\n" + script + "\nPY\n");
    if (result.code != 0) {
        ADD_FAILURE() << "python could not read " << path << ":\n" << result.out;
        return nlohmann::json();
    }
    return nlohmann::json::parse(result.out);
}

nlohmann::json CsvRows(const std::string& csvBytes) {
    const fs::path folder = TempDatabase::MakeTempFolder();
    const std::string path = (folder / "rows.csv").string();
    std::ofstream(path, std::ios::binary) << csvBytes;
    // newline="" lets the reader see the CR LF line ends and the line ends inside quoted fields
    // as they are; utf-8-sig takes a byte-order mark off the first field.
    nlohmann::json rows = PythonJson(R"PY(
import csv, json, sys
with open(sys.argv[1], newline="", encoding="utf-8-sig") as f:
    print(json.dumps(list(csv.reader(f, strict=True))))
)PY",
                                     path);
    fs::remove_all(folder);
    return rows;
}

}  // namespace tarnwick::test
