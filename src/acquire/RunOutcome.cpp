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
        case RunOutcome::Complete:
        case RunOutcome::Stopped:
        // The health line that follows says when the block began and what it looked like.
        case RunOutcome::Blocked:
            break;
    }
    return {};
}

}  // namespace tarnwick
