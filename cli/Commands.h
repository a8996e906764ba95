#pragma once

#include <cstddef>
#include <string>

#include "CliArgs.h"
#include "fetch/Endpoints.h"
#include "store/Store.h"

namespace tarnwick::cli {

// Exit codes of analyse, by how the run went.
constexpr int kExitComplete = 0;
constexpr int kExitShopNotFound = 3;
constexpr int kExitUnreachable = 4;
constexpr int kExitBlocked = 6;

// Each returns the process exit code. Failures they can name throw UsageError (exit 2) or a
// std::runtime_error (exit 1); main prints the message.
int RunAnalyse(const CliArgs& args);
int RunShops(const CliArgs& args);
int RunItems(const CliArgs& args);
int RunBuyers(const CliArgs& args);
int RunReviews(const CliArgs& args);
int RunDelete(const CliArgs& args);
int RunExportXlsx(const CliArgs& args);
int RunExportNicks(const CliArgs& args);
int RunCheckVersion(const CliArgs& args);
int RunInitDb(const CliArgs& args);

// Shared by the commands: the database from --db or beside the program, opened with the
// user's message when it is missing; the endpoints with --market and --version-url applied;
// a UsageError unless there are exactly `count` positionals.
std::string DatabasePath(const CliArgs& args);
Store OpenStore(const CliArgs& args);
Endpoints EndpointsFrom(const CliArgs& args);
void ExpectPositionals(const CliArgs& args, std::size_t count, const char* what);

const char* UsageText();

}  // namespace tarnwick::cli
