#include "CheckVersionCommand.h"

#include <iostream>

#include "export/TCheckUpdate.h"
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
    const std::int32_t latest = CheckLatestVersion(client, endpoint, kProductName);
    std::cout << latest << '\n';
    if (latest > kProgramVersion) {
        std::cout << "有新版本 (本程序 " << kProgramVersion << ")\n";
    } else {
        std::cout << "没有更新的版本 (本程序 " << kProgramVersion << ")\n";
    }
    return 0;
}

}  // namespace tarnwick::cli
