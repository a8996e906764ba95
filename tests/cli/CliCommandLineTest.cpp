// The command line's shape: help on every command, usage errors, "--", the completion script
// and the man page.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "CliSupport.h"
#include "MarketSim.h"
#include "support/MarketFixture.h"
#include "support/TempDatabase.h"

namespace tarnwick::test {
namespace {

namespace fs = std::filesystem;

struct CommandShape {
    std::string name;
    std::vector<std::string> accepts;  // positionals and options its help must name
    std::vector<std::string> refuses;  // options that belong to other commands
};

const std::vector<CommandShape>& Commands() {
    static const std::vector<CommandShape> commands = {
        {"analyse", {"NICK", "--db", "--market", "--threads"}, {"--format", "--window"}},
        {"shops", {"--db", "--format", "--bom"}, {"--threads", "--window"}},
        {"items", {"SID", "--db", "--format", "--bom", "--window"}, {"--threads"}},
        {"buyers", {"SID", "ITEMID", "--db", "--format", "--bom", "--window"}, {"--market"}},
        {"reviews", {"SID", "ITEMID", "--db", "--format", "--bom", "--window"}, {"--market"}},
        {"delete", {"SID", "--db"}, {"--format"}},
        {"export-xlsx", {"SID", "FILE", "--db", "--all-sheets"}, {"--format"}},
        {"export-csv", {"SID", "FILE", "--db", "--bom", "--window"}, {"--all-sheets"}},
        {"export-nicks", {"SID", "FILE", "ITEMID", "--db"}, {"--format"}},
        {"compare",
         {"OLD_SID", "NEW_SID", "--changed-only", "--xlsx", "--csv", "--db", "--format"},
         {"--window", "--threads"}},
        {"history", {"SID", "ITEMID", "--db", "--format"}, {"--window", "--xlsx"}},
        {"check-version", {"--version-url"}, {"--db"}},
        {"init-db", {"LOCATION"}, {"--db", "--format"}},
        {"help", {"COMMAND"}, {"--db"}},
        {"completion", {"SHELL"}, {"--db"}},
    };
    return commands;
}

TEST(CliCommandLineTest, EveryCommandExplainsItselfThreeWays) {
    for (const CommandShape& command : Commands()) {
        SCOPED_TRACE(command.name);
        const CliResult help = RunCli({command.name, "--help"});
        EXPECT_EQ(help.code, 0) << help.err;
        EXPECT_EQ(help.err, "");
        EXPECT_TRUE(Has(help.out, "Usage: tarnwick-cli " + command.name + " ")) << help.out;
        for (const std::string& word : command.accepts) {
            EXPECT_TRUE(Has(help.out, word)) << word << " missing from\n" << help.out;
        }
        for (const std::string& word : command.refuses) {
            EXPECT_FALSE(Has(help.out, word)) << word << " in\n" << help.out;
        }
        // -h and `help COMMAND` say the same; help comes before a missing positional.
        EXPECT_EQ(RunCli({command.name, "-h"}).out, help.out);
        EXPECT_EQ(RunCli({"help", command.name}).out, help.out);
    }
}

TEST(CliCommandLineTest, ProgramHelpListsCommandsAndExitCodes) {
    const CliResult help = RunCli({"--help"});
    ASSERT_EQ(help.code, 0) << help.err;
    EXPECT_TRUE(Has(help.out, "Usage: tarnwick-cli [OPTIONS] [SUBCOMMAND]")) << help.out;
    for (const CommandShape& command : Commands()) {
        EXPECT_TRUE(Has(help.out, "\n  " + command.name + " ")) << command.name;
    }
    for (const char* code : {"  0 ", "  1 ", "  2 ", "  3 ", "  4 ", "  5 ", "  130 "}) {
        EXPECT_TRUE(Has(help.out, code)) << code;
    }
    EXPECT_EQ(RunCli({"-h"}).out, help.out);
    EXPECT_EQ(RunCli({"help"}).out, help.out);

    const CliResult version = RunCli({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.rfind("tarnwick-cli ", 0), 0u) << version.out;
    EXPECT_TRUE(version.out.size() > 13 && std::isdigit(version.out[13])) << version.out;
}

TEST(CliCommandLineTest, UsageErrorsExit2WithThatCommandsUsage) {
    TempDatabase db;
    struct Case {
        std::vector<std::string> args;
        std::string message;
        std::string usage;  // the command whose usage follows
    };
    const Case cases[] = {
        {{"shops", "--threads", "3"}, "--threads", "shops [OPTIONS]"},
        {{"items", "1", "--format", "xml"},
         "--format: one of table, csv, json; not xml",
         "items [OPTIONS] SID"},
        {{"buyers", "1"}, "ITEMID", "buyers [OPTIONS] SID ITEMID"},
        {{"items", "1", "2"}, "2", "items [OPTIONS] SID"},
        {{"shops", "items"}, "items", ""},
        {{"help", "nosuch"}, "unknown command nosuch", "help [OPTIONS] [COMMAND]"},
        {{"completion", "zsh"}, "not zsh", "completion [OPTIONS] SHELL"},
        {{"analyse", "-dash"}, "-dash", "analyse [OPTIONS] NICK"},
        {{"analyse", "--db", db.Path(), "  "}, "请先输入要分析的同行旺旺名或地址!", "analyse"},
        {{"--db", db.Path(), "shops"}, "--db", ""},
        {{"nosuch"}, "unknown command nosuch", ""},
        {{}, "no command given", ""},
    };
    for (const Case& c : cases) {
        const CliResult result = RunCli(c.args);
        SCOPED_TRACE(result.err);
        EXPECT_EQ(result.code, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(Has(result.err, c.message));
        EXPECT_TRUE(Has(result.err, "Usage: tarnwick-cli " + c.usage));
    }
}

TEST(CliCommandLineTest, DoubleDashEndsTheOptionsSoANickMayBeginWithADash) {
    TempDatabase db;
    MarketFixture market;
    marketsim::Shop shop = marketsim::LoadShop("-横杠店", 3, 1, 1);
    market.Sim().AddShop(shop);

    const CliResult run =
        RunCli({"analyse", "--db", db.Path(), "--market", market.Base(), "--", shop.nick});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(Has(run.out, " 开始读 -横杠店 的数据...")) << run.out;
    EXPECT_TRUE(Has(run.out, "宝贝: 入库 3 / 入队 3")) << run.out;

    // After "--" even a word that names an option is a positional.
    const CliResult deleted = RunCli({"delete", "--db", db.Path(), "--", "--db"});
    EXPECT_EQ(deleted.code, 1);
    EXPECT_TRUE(Has(deleted.err, "no analysis with SID --db")) << deleted.err;
}

// What bash offers for the words typed so far, the last one being completed.
std::set<std::string> Completions(const std::vector<std::string>& words) {
    std::string array = "tarnwick-cli";
    for (const auto& word : words) {
        array += " " + ShellQuoted(word);
    }
    const ShellResult result =
        Shell("bash --norc --noprofile -c " +
              ShellQuoted("source " + ShellQuoted(TARNWICK_CLI_COMPLETION) + "; COMP_WORDS=(" +
                          array + "); COMP_CWORD=" + std::to_string(words.size()) +
                          "; _tarnwick_cli; printf '%s\\n' \"${COMPREPLY[@]}\""));
    EXPECT_EQ(result.code, 0);
    std::set<std::string> offered;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) {
            offered.insert(line);
        }
    }
    return offered;
}

TEST(CliCommandLineTest, CompletionFileLoadsInBashAndOffersWhatEachCommandTakes) {
    const ShellResult loaded = Shell("bash --norc --noprofile -c " +
                                     ShellQuoted("source " + ShellQuoted(TARNWICK_CLI_COMPLETION) +
                                                 "; complete -p tarnwick-cli"));
    EXPECT_EQ(loaded.code, 0);
    EXPECT_EQ(loaded.out, "complete -F _tarnwick_cli tarnwick-cli\n");

    // The installed file is what the program itself prints.
    std::ifstream file(TARNWICK_CLI_COMPLETION);
    std::stringstream built;
    built << file.rdbuf();
    EXPECT_EQ(RunCli({"completion", "bash"}).out, built.str());

    using Words = std::set<std::string>;
    EXPECT_EQ(Completions({"it"}), Words{"items"});
    EXPECT_EQ(Completions({"export-"}), (Words{"export-xlsx", "export-csv", "export-nicks"}));
    EXPECT_EQ(Completions({"--v"}), Words{"--version"});
    EXPECT_EQ(Completions({"items", "--f"}), Words{"--format"});
    EXPECT_EQ(Completions({"items", "1", "--format", ""}), (Words{"table", "csv", "json"}));
    EXPECT_EQ(Completions({"buyers", "--window", "this-"}), (Words{"this-week", "this-month"}));
    EXPECT_EQ(Completions({"shops", "--"}), (Words{"--help", "--db", "--format", "--bom"}));
    EXPECT_EQ(Completions({"analyse", "--"}),
              (Words{"--help", "--db", "--market", "--threads", "--max-list-pages",
                     "--max-deal-pages", "--max-review-pages", "--max-body-mb", "--fetch-timeout",
                     "--max-rate", "--delay-ms", "--keep-going"}));
    EXPECT_EQ(Completions({"analyse", "--threads", ""}), Words{});
    EXPECT_EQ(Completions({"help", "sh"}), Words{"shops"});
    EXPECT_EQ(Completions({"completion", ""}), Words{"bash"});

    // Files where a command takes a file: --db anywhere, FILE of the exports.
    TempDatabase db;
    const std::string typed = (db.Folder() / "vexo").string();
    EXPECT_EQ(Completions({"items", "--db", typed}), Words{db.Path()});
    EXPECT_EQ(Completions({"export-csv", "1", typed}), Words{db.Path()});
    EXPECT_EQ(Completions({"items", typed}), Words{});
}

TEST(CliCommandLineTest, ManPageAndCompletionAreInstalled) {
    std::ifstream page(TARNWICK_CLI_MANPAGE);
    std::stringstream text;
    text << page.rdbuf();
    const std::string man = text.str();
    EXPECT_TRUE(Has(man, ".TH TARNWICK-CLI \"1\"")) << man.substr(0, 300);
    for (const CommandShape& command : Commands()) {
        // roff writes a hyphen as "\-".
        std::string name = command.name;
        if (auto dash = name.find('-'); dash != std::string::npos) {
            name.replace(dash, 1, "\\-");
        }
        EXPECT_TRUE(Has(man, name)) << command.name;
    }
    EXPECT_TRUE(Has(man, "130")) << "exit codes";
    EXPECT_TRUE(Has(man, "crontab") || Has(man, "cron")) << "the scripting example";

    const fs::path prefix = TempDatabase::MakeTempFolder();
    const ShellResult install = Shell("cmake --install " + ShellQuoted(TARNWICK_BINARY_DIR) +
                                      " --prefix " + ShellQuoted(prefix.string()) + " 2>&1");
    EXPECT_EQ(install.code, 0) << install.out;
    EXPECT_TRUE(fs::is_regular_file(prefix / "share/bash-completion/completions/tarnwick-cli"))
        << install.out;
    EXPECT_TRUE(fs::is_regular_file(prefix / "share/man/man1/tarnwick-cli.1")) << install.out;
    fs::remove_all(prefix);
}

}  // namespace
}  // namespace tarnwick::test
