// Time to fill the item list with 10,000 items and the buyer grid with 50,000 deal records:
// the model fill plus the view's first layout and paint, offscreen, as the main window does
// when a shop is chosen or an item focused.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QTableView>

#include "store/Rows.h"
#include "views/DetailLists.h"
#include "views/ItemListView.h"

namespace {

using tarnwick::BuyerRow;
using tarnwick::DateTime;
using tarnwick::ItemRow;

constexpr int kRepeats = 5;

std::vector<ItemRow> Items(int count) {
    std::vector<ItemRow> items(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        ItemRow& item = items[static_cast<std::size_t>(i)];
        item.sid = "20120405102033123";
        item.ItemID = std::to_string(12000000000LL + i);
        item.title = "2012春装小清新百搭蕾丝连衣裙 包邮 " + std::to_string(i);
        item.price = 99.5 + i % 100;
        item.sellcount = i % 300;
        item.allow_quantity = 1000 - i % 1000;
        item.Commentcount = i % 50;
        item.pv = i * 3;
        item.SellAmount = item.price * item.sellcount;
        item.UpdateTime = DateTime::FromParts({2012, 4, 5, 10, i / 60 % 60, i % 60, 0});
    }
    return items;
}

std::vector<BuyerRow> Buyers(int count) {
    std::vector<BuyerRow> buyers(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        BuyerRow& row = buyers[static_cast<std::size_t>(i)];
        row.Buyer = "买家" + std::to_string(i);
        row.price = 19.9;
        row.amount = 1 + i % 3;
        row.sku = "颜色分类:红色";
        row.buytime = DateTime::FromParts({2012, 4, 5, 10, i / 60 % 60, i % 60, 0});
    }
    return buyers;
}

// Milliseconds of the fastest and the median of several runs; the rows are made before the
// clock starts, the view is painted once (as its first show would) before it stops.
void Report(const char* what, const std::function<std::function<void()>()>& prepare) {
    std::vector<double> times;
    for (int run = 0; run < kRepeats; ++run) {
        std::function<void()> fill = prepare();
        auto start = std::chrono::steady_clock::now();
        fill();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    std::printf("%-44s best %7.1f ms   median %7.1f ms   (%d runs)\n", what, times.front(),
                times[times.size() / 2], kRepeats);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);

    tarnwick::ItemListView list;
    list.resize(760, 300);
    list.show();
    Report("item list, 10,000 items", [&] {
        return [&list, items = Items(10000)]() mutable {
            list.Model().Fill(std::move(items));
            QApplication::processEvents();  // the view's delayed layout
            list.grab();
        };
    });

    tarnwick::DetailLists details;
    details.resize(760, 134);
    details.show();
    Report("buyer grid, 50,000 deal records", [&] {
        return [&details, buyers = Buyers(50000)]() mutable {
            details.ShowBuyers(std::move(buyers));
            QApplication::processEvents();
            details.grab();
        };
    });

    // Choosing another shop replaces a full list: the old rows go in the same step.
    Report("item list, 10,000 replacing 10,000", [&] {
        list.Model().Fill(Items(10000));
        QApplication::processEvents();
        return [&list, items = Items(10000)]() mutable {
            list.Model().Fill(std::move(items));
            QApplication::processEvents();
            list.grab();
        };
    });
    return 0;
}
