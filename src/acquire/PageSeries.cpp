#include "acquire/PageSeries.h"

#include <exception>
#include <optional>

#include "acquire/ItemJob.h"
#include "acquire/PageFetch.h"
#include "acquire/Run.h"
#include "fetch/TextTools.h"
#include "store/Store.h"

namespace tarnwick {
namespace {

// One walk through a stage's pages, with what it carries from page to page.
class SeriesWalk {
public:
    SeriesWalk(ItemJob& job, const PageSeries& series) : m_job(job), m_series(series) {}

    // Page 1; returns the paging base, empty when the walk ends with it.
    std::string First(const std::string& address);
    // Pages 2 on, from the paging base.
    void Further(const std::string& base);
    int Total() const { return m_total; }

private:
    enum class Step { Next, End };
    Step Page(const std::string& address, int pageNumber);
    // A failed further page; true when the stage gives up for it.
    bool GivesUp() { return ++m_failedInARow >= m_series.failedPagesInARow; }

    ItemJob& m_job;
    const PageSeries& m_series;
    int m_promised = 0;             // as page 1's shape check read it
    std::optional<int> m_lastPage;  // page 1's own count, where the stage has one
    int m_lastStored = 0;           // records the page stored last
    int m_total = 0;
    int m_failedInARow = 0;
};

std::string SeriesWalk::First(const std::string& address) {
    if (m_series.prepare) {
        m_series.prepare();
    }
    FetchedPage first =
        FetchPage(m_job.run, m_job.client, address, m_series.kind, [&](const std::string& text) {
            m_promised = m_series.promisedPages ? m_series.promisedPages(text) : 0;
            return m_series.hasShape(text, 1, m_promised);
        });
    if (m_series.afterFirstPage) {
        m_series.afterFirstPage(first.text);
    }
    m_lastStored = m_series.save(m_job, 1, first.text);
    m_total += m_lastStored;
    if (m_series.promisedPages) {
        m_lastPage = m_series.promisedPages(first.text);
    }
    return m_lastStored >= m_series.fullPage ? m_series.pagingBase(first.text) : std::string();
}

void SeriesWalk::Further(const std::string& base) {
    const std::string pageOne = m_series.pageParameter + "1";
    for (int pageNumber = 1; m_lastStored >= m_series.fullPage;) {
        if (m_job.run.StopRequested() || pageNumber >= m_series.maxPages ||
            (m_lastPage && pageNumber > *m_lastPage)) {
            return;
        }
        ++pageNumber;
        const std::string address =
            ReplaceAll(base, pageOne, m_series.pageParameter + std::to_string(pageNumber));
        try {
            if (Page(address, pageNumber) == Step::End) {
                return;
            }
            m_failedInARow = 0;
        } catch (const RunAborted&) {
            throw;
        } catch (const DatabaseError& error) {
            if (m_job.run.StoreFailureEnds(error)) {
                throw;
            }
            // A refused page: the run goes on, but the item's records are not all stored and
            // the run must not pass as complete.
            m_job.run.CountNotStored(m_job.ItemId);
            if (GivesUp()) {
                return;
            }
        } catch (const std::exception&) {
            if (GivesUp()) {
                return;
            }
        }
    }
}

SeriesWalk::Step SeriesWalk::Page(const std::string& address, int pageNumber) {
    Run& run = m_job.run;
    FetchedPage page = FetchPage(
        run, m_job.client, address, m_series.kind,
        [&](const std::string& text) { return m_series.hasShape(text, pageNumber, m_promised); });
    if (page.raw == m_job.PrevPageText) {
        return Step::End;
    }
    m_job.PrevPageText = page.raw;
    // The page after page 1's last is still asked for, as always, but it is never stored,
    // whatever count it claims for itself.
    if (m_lastPage && pageNumber > *m_lastPage) {
        return Step::End;
    }
    m_lastStored = m_series.save(m_job, pageNumber, page.text);
    if (m_job.RepeatedPage) {
        return Step::End;
    }
    m_total += m_lastStored;
    if (m_series.progressDue(m_total)) {
        run.Log("宝贝 " + m_job.ItemId + " 已下载" + std::to_string(m_total) + "个" +
                m_series.noun + ".在第" + std::to_string(pageNumber) + "页仍在继续中...");
    }
    return Step::Next;
}

}  // namespace

int ReadPageSeries(ItemJob& job, const std::string& address, const PageSeries& series) {
    Run& run = job.run;
    job.PrevRecords.clear();
    SeriesWalk walk(job, series);
    try {
        const std::string base = walk.First(address);
        if (!base.empty()) {
            walk.Further(base);
        }
    } catch (const RunAborted&) {
        throw;
    } catch (const DatabaseError& error) {
        if (run.StoreFailureEnds(error)) {
            throw;  // ends the run, not just this stage
        }
        run.CountNotStored(job.ItemId);
    } catch (const std::exception&) {
        // Page 1 failed, or its reading: nothing beyond what it stored.
    }
    run.Log("宝贝 " + job.ItemId + " 共下载" + std::to_string(walk.Total()) + "个" + series.noun +
            ".");
    return walk.Total();
}

}  // namespace tarnwick
