#include "SaverBench.h"

#include <cstdlib>
#include <filesystem>

#include "base/Clock.h"
#include "base/DateTime.h"

namespace tarnwick::fuzz {

namespace {

namespace fs = std::filesystem;

class SilentPort : public RunPort {
public:
    void Log(const std::shared_ptr<Run>&, std::string) override {}
    void ReaderEnded(const std::shared_ptr<Run>&) override {}
    void DownloadEnded(const std::shared_ptr<Run>&) override {}
    void ControlEnded(const std::shared_ptr<Run>&) override {}
};

std::string CopyOfEmptyDatabase() {
    std::string folder = (fs::temp_directory_path() / "tarnwick-fuzz-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
        std::abort();
    }
    const fs::path copy = fs::path(folder) / "vexodb.qdb";
    fs::copy_file(TARNWICK_EMPTY_DATABASE, copy);
    return copy.string();
}

Run::Settings RunSettings(const std::string& database) {
    Run::Settings settings;
    settings.runId = "20120405102033250";
    settings.nick = "fuzz";
    settings.threadCount = 1;
    settings.store = StoreSource::File(database);
    settings.endpoints = Endpoints::Defaults();
    return settings;
}

}  // namespace

SaverBench& SaverBench::Instance() {
    static SaverBench bench;
    return bench;
}

SaverBench::SaverBench()
    : m_databasePath(CopyOfEmptyDatabase()),
      m_store(Store::Open(StoreSource::File(m_databasePath))),
      m_port(std::make_unique<SilentPort>()),
      m_run(std::make_shared<Run>(RunSettings(m_databasePath), *m_port, m_threads,
                                  SystemClock::Instance())),
      m_job{*m_run, "7001", m_client, m_store, m_matcher, {}, {}, {}, {}, false} {
    // Nothing here must survive a power cut; every row is committed by itself, so this is what
    // keeps a fuzzing run from waiting on the disk.
    m_store.Connection().Execute("pragma synchronous=OFF");
}

void SaverBench::ClearRun() {
    m_store.DeleteShop(m_run->RunId());
    m_job.LastSellTime = {};
    m_job.LastCommentTime = {};
    m_job.PrevPageText.clear();
    m_job.PrevRecords.clear();
    m_job.RepeatedPage = false;
}

int SaverBench::SaveIntoEmptyRun(int (*saver)(ItemJob&, int, const std::string&),
                                 const std::string& text) {
    ClearRun();
    try {
        return saver(m_job, 1, text);
    } catch (const InvalidDateTime&) {
    } catch (const MatchError&) {
    }
    return -1;
}

}  // namespace tarnwick::fuzz
