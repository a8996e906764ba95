#include "CheckVersionCommand.h"

#include <iostream>

#include "ExitCodes.h"
#include "export/TCheckUpdate.h"
#include "export/TerminalText.h"
#include "fetch/Endpoints.h"
#include "fetch/HttpClient.h"

namespace tarnwick::cli {

CheckVersionCommand::CheckVersionCommand()
    : Command("check-version", "Ask the vendor whether a newer version exists") {
}

void CheckVersionCommand::Declare(CLI::App& app) {
    app.add_option("--version-url", m_versionUrl, "Ask this address instead of the vendor's")
        ->type_name("URL");
}

int CheckVersionCommand::Run() {
    std::string endpoint = Endpoints::Defaults().versionEndpoint;
    if (!m_versionUrl.empty()) {
        endpoint = m_versionUrl;
    }
    HttpClient client;
    const VersionCheckResult check = CheckVersion(client, endpoint, kProductName);
    // A failed check is not "no newer version": a script must be able to tell the two apart.
    if (!check.failure.empty()) {
        std::cerr << "tarnwick-cli: the version check failed: " << TerminalText(check.failure)
                  << '\n';
        return kExitStoreFailure;
    }
    std::cout << check.value << '\n';
    if (check.value > kProgramVersion) {
        std::cout << "有新版本 (本程序 " << kProgramVersion << ")\n";
    } else {
        std::cout << "没有更新的版本 (本程序 " << kProgramVersion << ")\n";
    }
    return kExitComplete;
}

}  // namespace tarnwick::cli
