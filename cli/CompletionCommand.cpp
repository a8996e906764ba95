#include "CompletionCommand.h"

#include <iostream>

#include "CommandLine.h"

namespace tarnwick::cli {
namespace {

std::string Joined(const std::vector<std::string>& words) {
    std::string text;
    for (const auto& word : words) {
        text += (text.empty() ? "" : " ") + word;
    }
    return text;
}

// Its long and short names, as typed.
std::vector<std::string> OptionNames(const CLI::Option& option) {
    std::vector<std::string> names;
    for (const auto& name : option.get_lnames()) {
        names.push_back("--" + name);
    }
    for (const auto& name : option.get_snames()) {
        names.push_back("-" + name);
    }
    return names;
}

}  // namespace

CompletionCommand::CompletionCommand(CommandLine& commandLine)
    : Command("completion",
              "Print the bash completion script (source <(tarnwick-cli "
              "completion bash))"),
      m_commandLine(commandLine) {
}

void CompletionCommand::Declare(CLI::App& app) {
    AddChoiceOption(app, "SHELL", m_shell, {"bash"}, "The shell; only bash for now")->required();
}

int CompletionCommand::Run() {
    std::cout << BashScript(m_commandLine);
    return 0;
}

std::string CompletionCommand::BashScript(CommandLine& commandLine) {
    std::vector<std::string> commandNames;
    for (const auto& command : commandLine.Commands()) {
        commandNames.push_back(command->Name());
    }
    std::vector<std::string> topOptions;
    for (const CLI::Option* option : commandLine.App().get_options()) {
        for (const auto& name : OptionNames(*option)) {
            topOptions.push_back(name);
        }
    }

    std::string cases;
    for (const auto& command : commandLine.Commands()) {
        const CLI::App* app = commandLine.Find(command->Name());
        std::vector<std::string> options;
        std::string valueCases;
        for (const CLI::Option* option : app->get_options()) {
            const std::vector<std::string> names = OptionNames(*option);
            if (names.empty()) {
                continue;  // a positional
            }
            options.insert(options.end(), names.begin(), names.end());
            if (option->get_type_size_max() == 0) {
                continue;  // a flag
            }
            const std::string pattern = [&] {
                std::string text;
                for (const auto& name : names) {
                    text += (text.empty() ? "" : "|") + name;
                }
                return text;
            }();
            const auto choices = command->OptionChoices().find(names.front());
            if (choices != command->OptionChoices().end()) {
                valueCases += "            " + pattern + ") _tarnwick_cli_words \"" +
                              Joined(choices->second) + "\"; return ;;\n";
            } else if (command->OptionTakesFile(names.front())) {
                valueCases += "            " + pattern + ") _tarnwick_cli_files; return ;;\n";
            } else {
                valueCases += "            " + pattern + ") return ;;\n";
            }
        }
        std::string positionals = "            ";
        if (command->Name() == "help") {
            positionals += "_tarnwick_cli_words \"" + Joined(commandNames) + "\"";
        } else if (const auto shell = command->OptionChoices().find("SHELL");
                   shell != command->OptionChoices().end()) {
            positionals += "_tarnwick_cli_words \"" + Joined(shell->second) + "\"";
        } else if (command->PositionalsTakeFiles()) {
            positionals += "_tarnwick_cli_files";
        } else {
            positionals += ":";
        }
        cases += "        " + command->Name() + ")\n";
        if (!valueCases.empty()) {
            cases += "            case $prev in\n" + valueCases + "            esac\n";
        }
        cases +=
            "            if [[ $cur == -* ]]; then\n"
            "                _tarnwick_cli_words \"" +
            Joined(options) +
            "\"\n"
            "            else\n    " +
            positionals +
            "\n"
            "            fi\n"
            "            ;;\n";
    }

    return "# bash completion for tarnwick-cli, made by 'tarnwick-cli completion bash'\n"
           "\n"
           "_tarnwick_cli_words() {\n"
           "    mapfile -t COMPREPLY < <(compgen -W \"$1\" -- \"$cur\")\n"
           "}\n"
           "\n"
           "_tarnwick_cli_files() {\n"
           "    compopt -o filenames 2>/dev/null\n"
           "    mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n"
           "}\n"
           "\n"
           "_tarnwick_cli() {\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}\n"
           "    local command= i\n"
           "    COMPREPLY=()\n"
           "    # The command is the first word that is not an option.\n"
           "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
           "        if [[ ${COMP_WORDS[i]} != -* ]]; then\n"
           "            command=${COMP_WORDS[i]}\n"
           "            break\n"
           "        fi\n"
           "    done\n"
           "    if [[ -z $command ]]; then\n"
           "        if [[ $cur == -* ]]; then\n"
           "            _tarnwick_cli_words \"" +
           Joined(topOptions) +
           "\"\n"
           "        else\n"
           "            _tarnwick_cli_words \"" +
           Joined(commandNames) +
           "\"\n"
           "        fi\n"
           "        return\n"
           "    fi\n"
           "    case $command in\n" +
           cases +
           "    esac\n"
           "}\n"
           "\n"
           "complete -F _tarnwick_cli tarnwick-cli\n";
}

}  // namespace tarnwick::cli
