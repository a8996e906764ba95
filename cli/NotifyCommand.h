#pragma once

#include <cstdint>
#include <string>

#include "Command.h"

namespace tarnwick::cli {

// notify add|list|remove|test: where the watches' alerts are sent.
class NotifyCommand : public ViewCommand {
public:
    NotifyCommand();
    void Declare(CLI::App& app) override;
    int Run() override;

private:
    int Add();
    int List();
    int Remove();
    int Test();

    CLI::App* m_add = nullptr;
    CLI::App* m_list = nullptr;
    CLI::App* m_remove = nullptr;
    CLI::App* m_test = nullptr;

    std::string m_kind;
    std::string m_address;
    std::string m_style = "json";
    std::string m_to;
    std::string m_from;
    bool m_passwordStdin = false;
    bool m_plain = false;
    std::int32_t m_id = 0;
};

}  // namespace tarnwick::cli
