#include "acquire/RunOutcome.h"

namespace tarnwick {

std::string_view OutcomeName(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::Complete:
            return "complete";
        case RunOutcome::ShopNotFound:
            return "shop not found";
        case RunOutcome::MarketUnreachable:
            return "marketplace unreachable";
        case RunOutcome::Stopped:
            return "stopped";
        case RunOutcome::StoreFailed:
            return "store failed";
        case RunOutcome::Blocked:
            return "blocked";
        case RunOutcome::ChangedPages:
            return "changed pages";
        case RunOutcome::RateLimited:
            return "rate limited";
        case RunOutcome::Truncated:
            return "truncated";
        case RunOutcome::Running:
            return "running";
    }
    return "unknown";
}

std::string_view OutcomeLogLine(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::ShopNotFound:
            return "未找到该掌柜的店铺, 请检查掌柜名是否正确.";
        case RunOutcome::MarketUnreachable:
            return "无法连接淘宝网, 所有请求均失败, 请检查网络后重试.";
        case RunOutcome::StoreFailed:
            return "数据文件无法写入, 分析已提前结束, 已保存的数据保留.";
        case RunOutcome::ChangedPages:
            return "宝贝列表页面已改版, 未能读出任何宝贝, 本次分析不完整.";
        case RunOutcome::RateLimited:
            return "淘宝网多次拒绝过于频繁的请求, 分析已提前结束, 请稍后再试或降低线程数.";
        case RunOutcome::Truncated:
            return "宝贝列表页数超过上限, 只读了前面的部分, 本次分析不完整.";
        case RunOutcome::Complete:
        case RunOutcome::Stopped:
        case RunOutcome::Running:
        // The health line that follows says when the block began and what it looked like.
        case RunOutcome::Blocked:
            break;
    }
    return {};
}

}  // namespace tarnwick

namespace tarnwick {

std::string OutcomeNotice(const RunOutcomeRow& record) {
    const RunOutcome outcome = OutcomeFromKey(record.outcome).value_or(RunOutcome::Running);
    const std::string read = "读取了 " + std::to_string(record.itemsRead) + " / " +
                             std::to_string(record.itemsQueued) + " 个宝贝. ";
    const std::string unread = "未读取的宝贝在对比中显示为\"未读取\", 不算作下架.";
    switch (outcome) {
        case RunOutcome::Complete:
            if (record.itemsNotRead == 0 && record.listComplete != 0) {
                return {};
            }
            return "分析已完成, 但不完整: " + read + unread + " 可稍后重新分析以补全.";
        case RunOutcome::Stopped:
            return "分析已停止: " + read + unread + " 需要完整数据时请重新分析.";
        case RunOutcome::Blocked:
        case RunOutcome::ChangedPages:
            return "淘宝网拦截了本次分析 (登录页、验证页或页面改版): " + read + unread +
                   " 请稍后再试, 并减少线程数.";
        case RunOutcome::RateLimited:
            return "淘宝网多次拒绝过于频繁的请求, 分析已提前结束: " + read + unread +
                   " 请稍后再试, 并减少线程数.";
        case RunOutcome::StoreFailed:
            return "数据无法保存, 分析已提前结束: " + read +
                   "请检查磁盘空间和数据文件的写入权限后重新分析.";
        case RunOutcome::Truncated:
            return "宝贝列表页数超过上限, 只读了前 " + std::to_string(record.listPagesRead) +
                   " 页 (共 " + std::to_string(record.listPages) + " 页): " + read + unread;
        case RunOutcome::ShopNotFound:
            return "未找到该掌柜的店铺, 请检查掌柜名是否正确.";
        case RunOutcome::MarketUnreachable:
            return "无法连接淘宝网, 所有请求均失败, 请检查网络后重试.";
        case RunOutcome::Running:
            break;
    }
    return {};
}

}  // namespace tarnwick
