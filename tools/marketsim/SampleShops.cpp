// The demo shop and the benchmarks' load shop (declared in MarketSim.h).
#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "MarketSim.h"
#include "SeededRandom.h"
#include "ShopTime.h"

namespace marketsim {
namespace {

// Deal and review times spread over this many days before the shop was made, so the item
// views' time windows (a week, a month) all have something to show.
constexpr int kHistoryDays = 60;

std::string Money(int yuan, int fen) {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%02d", yuan, fen);
    return text;
}

std::string FirstCharacter(std::string_view text) {
    std::size_t n = text.empty() ? 0 : 1;
    while (n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) {
        ++n;
    }
    return std::string(text.substr(0, n));
}

std::string LastCharacter(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    std::size_t start = text.size() - 1;
    while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) {
        --start;
    }
    return std::string(text.substr(start));
}

// Seconds back from the anchor for `count` records, newest first.
std::vector<std::time_t> Ages(SeededRandom& random, std::size_t count) {
    std::vector<std::time_t> ages(count);
    for (auto& age : ages) {
        age = 1 + static_cast<std::time_t>(random.Below(kHistoryDays * kDay - 1));
    }
    std::sort(ages.begin(), ages.end());
    return ages;
}

struct Product {
    const char* name;
    int lowPrice;
    int highPrice;
};

constexpr std::array kShopNicks = {"江南小布衣",   "小熊的衣橱",   "花间集女装馆", "阿美潮流小铺",
                                   "糖果色的夏天", "木槿花开女装", "云裳小筑",     "蓝调时光服饰"};
constexpr std::array kSeasons = {"2012春装", "2012夏季", "2012秋冬", "2012新款"};
constexpr std::array kStyles = {"韩版", "欧美风", "复古", "淑女", "小清新", "日系"};
constexpr std::array kCuts = {"修身", "宽松", "显瘦", "百搭", "甜美", "气质"};
constexpr std::array kMaterials = {"雪纺", "纯棉", "真丝", "针织", "蕾丝", "棉麻", "牛仔"};
constexpr std::array kProducts = {Product{"连衣裙", 79, 299},  Product{"短袖T恤", 29, 89},
                                  Product{"半身裙", 59, 199},  Product{"开衫", 69, 239},
                                  Product{"衬衫", 59, 189},    Product{"阔腿裤", 69, 219},
                                  Product{"风衣", 199, 499},   Product{"打底衫", 25, 79},
                                  Product{"吊带背心", 19, 59}, Product{"小外套", 129, 399}};
constexpr std::array kSuffixes = {"", " 包邮", " 特价", " 热卖", " 送腰带", " 限时折扣"};
constexpr std::array kColors = {"黑色",   "米白色", "藏青色", "粉红色",
                                "浅蓝色", "卡其色", "酒红色", "军绿色"};
constexpr std::array kSizes = {"S", "M", "L", "XL", "均码"};
constexpr std::array kBuyers = {
    "小小鱼儿",   "快乐的猪猪", "甜甜圈圈",   "浪里个浪",   "云朵朵",    "秋天的枫叶",
    "糖果屋",     "阳光宝贝",   "爱吃鱼的猫", "草莓味的风", "米粒儿",    "安静的小孩",
    "蜗牛慢慢爬", "丫头片子",   "木子李",     "天空之城",   "lily0615",  "meimei2012",
    "zhangwei88", "tb_8823671", "sunny_day",  "coco小姐",   "kitty猫猫", "小雨点点",
    "开心果果",   "红豆豆",     "若水三千",   "小鹿乱撞",   "花开半夏",  "豆豆妈咪"};
struct Rank {
    const char* icon;
    const char* title;
};
constexpr std::array kRanks = {Rank{"b_red_1.gif", "4-10个买家信用积分"},
                               Rank{"b_red_2.gif", "11-40个买家信用积分"},
                               Rank{"b_red_3.gif", "41-90个买家信用积分"},
                               Rank{"b_red_4.gif", "91-150个买家信用积分"},
                               Rank{"b_red_5.gif", "151-250个买家信用积分"},
                               Rank{"b_blue_1.gif", "251-500个买家信用积分"},
                               Rank{"b_blue_2.gif", "501-1000个买家信用积分"},
                               Rank{"b_blue_3.gif", "1001-2000个买家信用积分"}};
constexpr std::array kMemberTitles = {"", "", "", "普通会员", "高级会员", "VIP会员", "至尊VIP会员"};
constexpr std::array kReviewPhrases = {"衣服收到了，质量很好，和图片上的一样，很满意！",
                                       "物流很快，两天就到了，卖家服务态度也很好。",
                                       "尺码偏小一点，建议买大一码。",
                                       "面料很舒服，穿着很显瘦，下次还来。",
                                       "颜色有一点点色差，不过整体还不错。",
                                       "做工精细，线头很少，性价比很高。",
                                       "第二次购买了，一如既往的好。",
                                       "宝贝很漂亮，老公说好看，好评！",
                                       "包装很用心，还送了小礼物，谢谢掌柜。",
                                       "穿上很有气质，同事都问在哪买的。",
                                       "一般般吧，和想象的有点差距。",
                                       "好评！",
                                       "发货速度快，衣服没有异味。",
                                       "版型很正，长度刚好到膝盖。"};

// The variant cell as the marketplace writes it: a line break between the properties, or
// character references where a blank or an ampersand would stand.
std::string SkuHtml(SeededRandom& random) {
    std::string color = random.Pick(kColors);
    std::string size = random.Pick(kSizes);
    switch (random.Below(10)) {
        case 0:
        case 1:
            return "";
        case 2:
        case 3:
            return "颜色分类：" + color + "&nbsp;&nbsp;尺码：" + size;
        case 4:
            return "颜色分类：" + color + "&amp;" + random.Pick(kColors) + "拼色<br>尺码：" + size;
        default:
            return "颜色分类：" + color + "<br>尺码：" + size;
    }
}

Deal DemoDeal(SeededRandom& random, const Item& item, int yuan, int fen, std::time_t when) {
    Deal deal;
    std::string nick = random.Pick(kBuyers);
    if (random.Chance(25)) {
        deal.anonymous = true;
        deal.anonymousHead = FirstCharacter(nick);
        deal.anonymousTail = LastCharacter(nick);
    } else {
        deal.buyer = nick;
    }
    const Rank& rank = random.Pick(kRanks);
    deal.rankIcon = rank.icon;
    deal.rankTitle = rank.title;
    deal.memberTitle = random.Pick(kMemberTitles);
    // Now and then a promotion price below the list price.
    deal.price =
        random.Chance(20) ? Money(std::max(1, yuan - random.Between(5, 20)), fen) : item.price;
    int draw = random.Between(1, 20);
    deal.amount = std::to_string(draw <= 16 ? 1 : draw <= 19 ? 2 : 3);
    deal.time = TimeText(when);
    deal.skuHtml = SkuHtml(random);
    return deal;
}

Review DemoReview(SeededRandom& random, std::set<std::string>& ids, std::time_t when) {
    Review review;
    review.content = random.Pick(kReviewPhrases);
    if (random.Chance(40)) {
        review.content += random.Pick(kReviewPhrases);
    }
    std::string nick = random.Pick(kBuyers);
    // Buyers who bought anonymously are shown masked in the reviews as well.
    review.nick = random.Chance(20) ? FirstCharacter(nick) + "***" + LastCharacter(nick) : nick;
    review.vipLevel = random.Between(0, 6);
    do {
        review.id = std::to_string(10000000000ULL + random.Below(4000000000U));
    } while (!ids.insert(review.id).second);
    review.pic = random.Chance(30) ? random.Pick(kRanks).icon : "";
    review.date = TimeText(when);
    review.rateSum = random.Between(0, 2000);
    return review;
}

}  // namespace

Shop DemoShop(std::uint32_t seed) {
    SeededRandom random(seed);
    const std::time_t anchor = LocalMidnight();
    Shop shop;
    shop.nick = random.Pick(kShopNicks);
    shop.key = "demo";
    shop.ownerId = std::to_string(100000000 + random.Below(900000000));

    const int itemCount = random.Between(30, 50);
    std::set<std::string> itemIds;
    std::set<std::string> reviewIds;
    // A few items whose page shows the title only in the heading, and a few whose sold count
    // comes from the companion answer; never the first, which is the shop's best seller.
    std::set<int> headingTitles;
    std::set<int> soldFromAnswer;
    while (headingTitles.size() < 3) {
        headingTitles.insert(random.Between(4, itemCount - 1));
    }
    while (soldFromAnswer.size() < 3) {
        int index = random.Between(4, itemCount - 1);
        if (headingTitles.count(index) == 0) {
            soldFromAnswer.insert(index);
        }
    }

    for (int index = 0; index < itemCount; ++index) {
        Item item;
        do {
            item.id = std::to_string(12000000000ULL + random.Below(4000000000U));
        } while (!itemIds.insert(item.id).second);
        const Product& product = random.Pick(kProducts);
        std::string season = random.Pick(kSeasons);
        std::string style = random.Pick(kStyles);
        std::string cut = random.Pick(kCuts);
        std::string material = random.Pick(kMaterials);
        bool firstHeading = !headingTitles.empty() && index == *headingTitles.begin();
        // The heading fallback decodes character references, so one of those titles holds an
        // ampersand and the page shows it as "&amp;".
        item.title = season + style + (firstHeading ? "黑&白拼色" : cut) + material + product.name +
                     random.Pick(kSuffixes);
        int yuan = random.Between(product.lowPrice, product.highPrice);
        int fen = std::array{0, 0, 0, 90, 80, 50}[random.Below(6)];
        item.price = Money(yuan, fen);
        item.stock = random.Between(5, 999);
        item.stockInSpan = random.Chance(20);
        item.titleShape = headingTitles.count(index) != 0 ? Item::TitleShape::DetailHeading
                                                          : Item::TitleShape::HiddenInput;
        if (soldFromAnswer.count(index) != 0) {
            item.soldShape = Item::SoldShape::Answer;
        } else if (random.Chance(20)) {
            item.soldShape = Item::SoldShape::ElementWithMoreClasses;
        }

        // The first item fills several pages of both; the second has none; the third and
        // fourth sit exactly on the page sizes, where a reader asks for one empty page more.
        std::size_t dealCount = 0;
        std::size_t reviewCount = 0;
        switch (index) {
            case 0:
                dealCount = 40;
                reviewCount = 45;
                break;
            case 1:
                break;
            case 2:
                dealCount = 15;
                reviewCount = 20;
                break;
            case 3:
                dealCount = 30;
                reviewCount = 40;
                break;
            default: {
                std::size_t draw = random.Below(100);
                dealCount = draw < 20   ? 0
                            : draw < 55 ? random.Between(1, 14)
                            : draw < 80 ? random.Between(15, 30)
                                        : random.Between(31, 60);
                reviewCount =
                    random.Chance(25) ? 0 : random.Between(1, static_cast<int>(dealCount) + 10);
                break;
            }
        }
        int soldLastMonth = 0;
        for (std::time_t age : Ages(random, dealCount)) {
            item.deals.push_back(DemoDeal(random, item, yuan, fen, anchor - age));
            if (age < 30 * kDay) {
                soldLastMonth += std::stoi(item.deals.back().amount);
            }
        }
        for (std::time_t age : Ages(random, reviewCount)) {
            item.reviews.push_back(DemoReview(random, reviewIds, anchor - age));
        }
        item.soldCount = soldLastMonth;
        item.views = random.Between(soldLastMonth * 20 + 50, soldLastMonth * 60 + 800);
        shop.items.push_back(std::move(item));
    }
    return shop;
}

Shop BlockedDemoShop(std::uint32_t seed, int blockAfter) {
    Shop shop = DemoShop(seed + 1);
    shop.nick = "blocked";
    shop.key = "blocked";
    shop.ownerId = "9" + shop.ownerId.substr(1);
    // The demo shop's ids start with 1; these must not answer for its items.
    for (Item& item : shop.items) {
        item.id = "9" + item.id.substr(1);
    }
    shop.blockMode = Shop::BlockMode::LoginRedirect;
    shop.blockAfter = blockAfter;
    return shop;
}

Shop LoadShop(std::string nick, int items, int dealPages, int reviewPages) {
    Shop shop;
    shop.nick = std::move(nick);
    shop.key = "load";
    shop.ownerId = "900000001";
    // Each page but the last is full and the last one short by one, so a reader asks for
    // exactly the given number of pages.
    const std::size_t dealCount = dealPages > 0 ? static_cast<std::size_t>(15 * dealPages - 1) : 0;
    const std::size_t reviewCount =
        reviewPages > 0 ? static_cast<std::size_t>(20 * reviewPages - 1) : 0;

    // Every item gets the same records; only the strings are copied, no time is formatted
    // twice.
    const std::time_t anchor = LocalMidnight();
    std::vector<Deal> deals(dealCount);
    for (std::size_t i = 0; i < dealCount; ++i) {
        Deal& deal = deals[i];
        std::string buyer = kBuyers[i % kBuyers.size()];
        if (i % 4 == 3) {
            deal.anonymous = true;
            deal.anonymousHead = FirstCharacter(buyer);
            deal.anonymousTail = LastCharacter(buyer);
        } else {
            deal.buyer = buyer;
        }
        const Rank& rank = kRanks[i % kRanks.size()];
        deal.rankIcon = rank.icon;
        deal.rankTitle = rank.title;
        deal.memberTitle = kMemberTitles[i % kMemberTitles.size()];
        deal.price = "99.00";
        deal.amount = "1";
        deal.time = TimeText(anchor - 1 -
                             static_cast<std::time_t>(i + 1) * (kHistoryDays * kDay) /
                                 static_cast<std::time_t>(dealCount + 1));
        deal.skuHtml = std::string("颜色分类：") + kColors[i % kColors.size()] + "<br>尺码：" +
                       kSizes[i % kSizes.size()];
    }
    std::vector<Review> reviews(reviewCount);
    for (std::size_t i = 0; i < reviewCount; ++i) {
        Review& review = reviews[i];
        review.content = kReviewPhrases[i % kReviewPhrases.size()];
        review.nick = kBuyers[i % kBuyers.size()];
        review.vipLevel = static_cast<int>(i % 7);
        review.id = std::to_string(70000000000ULL + i);
        review.date = TimeText(anchor - 1 -
                               static_cast<std::time_t>(i + 1) * (kHistoryDays * kDay) /
                                   static_cast<std::time_t>(reviewCount + 1));
        review.rateSum = static_cast<int>(i * 37 % 2000);
    }

    shop.items.reserve(static_cast<std::size_t>(std::max(items, 0)));
    for (int index = 0; index < items; ++index) {
        Item item;
        item.id = std::to_string(80000000001ULL + static_cast<unsigned>(index));
        item.title = "压测宝贝" + std::to_string(index + 1) + "号 2012新款韩版修身雪纺连衣裙";
        item.price = "99.00";
        item.stock = 500;
        item.soldCount = static_cast<int>(dealCount);
        item.views = 1000 + index;
        item.hasDealAddress = dealCount > 0;
        item.hasReviewAddress = reviewCount > 0;
        item.deals = deals;
        item.reviews = reviews;
        shop.items.push_back(std::move(item));
    }
    return shop;
}

}  // namespace marketsim
