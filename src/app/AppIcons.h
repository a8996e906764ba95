#pragma once

#include <QIcon>

namespace tarnwick {

// The program's pictures, drawn in code so that the program carries no image files.
QIcon AnalyseIcon();         // "分析店铺": a magnifier over a bar chart
QIcon AnalyseRunningIcon();  // the same with a green "play" mark: a run is under way
QIcon HelpIcon();            // "使用说明"
QIcon UpgradeIcon();         // "软件升级"
QIcon ExitIcon();            // "退出"
QIcon WatchIcon();           // "监控"
QIcon ShopIcon();            // a node of the shop tree
QIcon DegradedShopIcon();    // the shop with a yellow warning: some pages were missing or changed
QIcon BlockedShopIcon();     // the shop with a red bar: the marketplace shut the run out
QIcon ApplicationIcon();

}  // namespace tarnwick
