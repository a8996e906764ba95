#pragma once

#include <string>

#include "Command.h"
#include "store/WatchRows.h"

namespace tarnwick::cli {

// watch add|edit|list|remove|run: the shops analysed on a schedule, and the runner that
// analyses those that are due.
class WatchCommand : public ViewCommand {
public:
    WatchCommand();
    void Declare(CLI::App& app) override;
    int Run() override;

    // The watch list as a view, for `watch list` and its tests.
    static ViewTable WatchTable(Store& store);

private:
    // The options that set how a watch runs and what it alerts on, declared on `add` and
    // `edit` alike; on `edit` only those given change the watch.
    struct SettingOptions {
        CLI::Option* every = nullptr;
        CLI::Option* at = nullptr;
        CLI::Option* threads = nullptr;
        CLI::Option* maxRate = nullptr;
        CLI::Option* delayMs = nullptr;
        CLI::Option* priceChange = nullptr;
        CLI::Option* noPriceDown = nullptr;
        CLI::Option* noPriceUp = nullptr;
        CLI::Option* noNew = nullptr;
        CLI::Option* noRemoved = nullptr;
        CLI::Option* noStock = nullptr;
        CLI::Option* salesJump = nullptr;
    };
    SettingOptions DeclareSettings(CLI::App& app);
    // Applies what was given; throws UsageError for a schedule that is not one.
    void ApplySettings(const SettingOptions& given, WatchRow& row) const;

    int Add();
    int Edit();
    int List();
    int Remove();
    int RunDue();

    CLI::App* m_add = nullptr;
    CLI::App* m_edit = nullptr;
    CLI::App* m_list = nullptr;
    CLI::App* m_remove = nullptr;
    CLI::App* m_run = nullptr;
    SettingOptions m_addOptions;
    SettingOptions m_editOptions;

    std::string m_nick;
    std::string m_every = "1d";
    std::string m_at;
    int m_threads = 6;
    double m_maxRate = 0;
    int m_delayMs = 0;
    double m_priceChange = 10;
    bool m_noPriceDown = false;
    bool m_noPriceUp = false;
    bool m_noNew = false;
    bool m_noRemoved = false;
    bool m_noStock = false;
    int m_salesJump = 20;

    bool m_all = false;
    std::string m_market;
    int m_parallel = 1;
    std::string m_clock;
    bool m_verbose = false;
};

}  // namespace tarnwick::cli
