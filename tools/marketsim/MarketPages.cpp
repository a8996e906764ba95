#include "MarketPages.h"

#include <algorithm>
#include <cstdio>

namespace marketsim::pages {
namespace {

std::string Str(std::string_view text) {
    return std::string(text);
}

// The first UTF-8 character of a text ends here; used to put a brace "inside" a value.
std::size_t AfterFirstCharacter(std::string_view text) {
    if (text.empty()) {
        return 0;
    }
    std::size_t n = 1;
    while (n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) {
        ++n;
    }
    return n;
}

std::string WithBraceInside(std::string_view text) {
    std::size_t cut = AfterFirstCharacter(text);
    return Str(text.substr(0, cut)) + "}" + Str(text.substr(cut));
}

// The deal-record answer carries its HTML inside a script string, where the marketplace puts a
// backslash before every quotation mark and nothing else.
std::string EscapeQuotesForScript(std::string_view html) {
    std::string out;
    out.reserve(html.size() + html.size() / 8);
    for (char c : html) {
        if (c == '"') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

const char* kPageHeadCommon =
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\" />\n"
    "<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\" />\n"
    "<meta name=\"description\" content=\"淘宝网 - "
    "亚洲较大的网上交易平台，提供各类服饰、美容、家居、"
    "数码、话费/点卡充值… 数亿优质商品，同时提供担保交易(先收货后付款)等安全交易保障服务。\" />\n";

const char* kSiteNav =
    "<div id=\"site-nav\" class=\"site-nav\">\n"
    "  <div class=\"site-nav-bd\">\n"
    "    <p class=\"login-info\">亲，欢迎来淘宝！请<a href=\"/member/login.htm\">登录</a>"
    "<a href=\"/member/register.htm\">免费注册</a></p>\n"
    "    <ul class=\"quick-menu\">\n"
    "      <li class=\"home\"><a href=\"/\">淘宝网首页</a></li>\n"
    "      <li class=\"mytaobao\"><a href=\"/my/\">我的淘宝</a></li>\n"
    "      <li class=\"cart\"><a href=\"/cart.htm\">购物车</a></li>\n"
    "      <li class=\"favorite\"><a href=\"/fav.htm\">收藏夹</a></li>\n"
    "      <li class=\"services\"><a href=\"/help.htm\">网站导航</a></li>\n"
    "    </ul>\n"
    "  </div>\n"
    "</div>\n";

const char* kFooter =
    "<div id=\"footer\">\n"
    "  <p class=\"footer-links\"><a href=\"/about.htm\">关于淘宝</a> <a "
    "href=\"/partner.htm\">合作伙伴</a> "
    "<a href=\"/jobs.htm\">营销中心</a> <a href=\"/contact.htm\">联系客服</a> "
    "<a href=\"/open.htm\">开放平台</a> <a href=\"/recruit.htm\">诚征英才</a></p>\n"
    "  <p class=\"copyright\">版权所有 2003-2012 淘宝网 增值电信业务经营许可证：浙B2-20080224</p>\n"
    "</div>\n";

std::string Number(long long value) {
    return std::to_string(value);
}

}  // namespace

int PagesNeeded(std::size_t count, int pageSize) {
    std::size_t size = static_cast<std::size_t>(std::max(pageSize, 1));
    return static_cast<int>((count + size - 1) / size);
}

int ItemListPageCount(const Shop& shop) {
    return std::max(1, PagesNeeded(shop.items.size(), shop.listPageSize));
}

int DealPageCount(const Item& item) {
    return PagesNeeded(item.deals.size(), item.dealPageSize);
}

int ReviewPageCount(const Item& item) {
    return PagesNeeded(item.reviews.size(), item.reviewPageSize);
}

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string EscapeJson(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

std::string ShopLink(const Shop& shop, std::string_view base) {
    switch (shop.cardShape) {
        case Shop::CardShape::ShopLinkWithSlash:
            return Str(base) + "/shop/" + shop.key + "/";
        case Shop::CardShape::OldMallAddress:
            // The old form of the Tmall address; the reader rewrites it to tmall.com, which
            // the server serves as well, since it only looks at the "/shop/<key>/" end.
            return Str(base) + "/mall.taobao.com/shop/" + shop.key;
        default:
            return Str(base) + "/shop/" + shop.key;
    }
}

std::string ImCard(const Shop* shop, std::string_view base) {
    std::string b(base);
    std::string page;
    page.reserve(4096);
    page +=
        "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
        "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n"
        "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n";
    page += kPageHeadCommon;
    page += "<title>阿里旺旺名片</title>\n";
    page +=
        "<style type=\"text/css\">\n"
        "body{margin:0;font:12px/1.5 tahoma,arial,\\5b8b\\4f53;}\n"
        ".ww-card{width:260px;border:1px solid #c4d5e0;background:#f2f8fc;}\n"
        ".ww-card-hd{padding:6px 8px;border-bottom:1px solid #c4d5e0;}\n"
        ".ww-card-bd p{margin:4px 8px;}\n"
        ".ww-card-ft{padding:4px 8px;color:#999;}\n"
        "</style>\n"
        "<script type=\"text/javascript\">\n"
        "var WW_CARD = {from: 'wangwang', version: '2012', skin: 'blue', lang: 'zh_CN'};\n"
        "</script>\n"
        "</head>\n<body>\n<div class=\"ww-card\">\n";
    if (shop == nullptr) {
        page +=
            "<div class=\"ww-card-hd\"><strong class=\"ww-nick\">旺旺用户</strong></div>\n"
            "<div class=\"ww-card-bd\">\n"
            "<p class=\"ww-none\">该旺旺用户不存在，或者已被删除。</p>\n"
            "<p class=\"ww-tip\">请确认您输入的会员名是否正确。</p>\n"
            "</div>\n"
            "<div class=\"ww-card-ft\">阿里旺旺 2012 买家版</div>\n"
            "</div>\n</body>\n</html>\n";
        return page;
    }
    const std::string nick = EscapeHtml(shop->nick);
    page += "<div class=\"ww-card-hd\"><img class=\"ww-online\" src=\"" + b +
            "/img/ww/online.gif\" alt=\"在线\" /> <strong class=\"ww-nick\">" + nick +
            "</strong> <span class=\"ww-status\">当前在线</span></div>\n";
    page += "<div class=\"ww-card-bd\">\n";
    page +=
        "<p class=\"ww-sign\">个性签名：欢迎光临本店，新品每周上架，有问题请随时旺旺联系。</p>\n";
    const auto shape = shop->cardShape;
    if (shape == Shop::CardShape::NoShopLink) {
        page += "<p class=\"ww-shop\">该用户暂未开店</p>\n";
    } else {
        page += "<p class=\"ww-shop\"><a class=\"op-ww op-ww-shop\" href=\"" +
                ShopLink(*shop, base) + "?asker=wangwang\" target=\"_blank\" title=\"进入" + nick +
                "的店铺\">进入店铺</a></p>\n";
    }
    const std::string rating = "<p class=\"ww-rate\"><a href=\"" + b + "/user-rate-" +
                               shop->ownerId +
                               ".htm\" target=\"_blank\" title=\"信用评价\">查看信用评价</a></p>\n";
    switch (shape) {
        case Shop::CardShape::NoOwnerId:
            page += "<p class=\"ww-talk\"><a class=\"op-ww op-ww-talk\" href=\"" + b +
                    "/msg.htm?site=cntaobao&amp;charset=gbk\" target=\"_blank\">和我联系</a></p>\n";
            break;
        case Shop::CardShape::OwnerIdFromRatingLinkOnly:
            // The owner id stands last here, and nothing after it holds an ampersand: the
            // "ownerid=..&" rule finds nothing and the rating link has to serve.
            page += rating;
            page += "<p class=\"ww-talk\"><a class=\"op-ww op-ww-talk\" href=\"" + b +
                    "/msg.htm?ownerid=" + shop->ownerId + "\" target=\"_blank\">和我联系</a></p>\n";
            page += "</div>\n<div class=\"ww-card-ft\">阿里旺旺 2012 买家版</div>\n</div>\n";
            page += "</body>\n</html>\n";
            return page;
        default:
            page += rating;
            page += "<p class=\"ww-talk\"><a class=\"op-ww op-ww-talk\" href=\"" + b +
                    "/msg.htm?ownerid=" + shop->ownerId +
                    "&site=cntaobao&charset=gbk\" target=\"_blank\">和我联系</a></p>\n";
            break;
    }
    page += "</div>\n<div class=\"ww-card-ft\">阿里旺旺 2012 买家版 | <a href=\"" + b +
            "/ww/help.htm?from=card&amp;v=2012\">帮助</a></div>\n</div>\n";
    page += "</body>\n</html>\n";
    return page;
}

std::string ItemList(const Shop& shop, int page, std::string_view base) {
    const std::string b(base);
    const int pageCount = shop.pageInfoValue.value_or(ItemListPageCount(shop));
    const std::size_t size = static_cast<std::size_t>(std::max(shop.listPageSize, 1));
    const std::string nick = EscapeHtml(shop.nick);
    const std::string listAddress = b + "/shop/" + shop.key + "/?search=y&amp;pageNum=";

    std::string html;
    html.reserve(2048 + 700 * size);
    html += "<!DOCTYPE html>\n<html>\n<head>\n";
    html += kPageHeadCommon;
    html += "<title>首页-" + nick + "-淘宝网</title>\n";
    html += "<link rel=\"stylesheet\" href=\"" + b + "/css/shop/list.css\" />\n";
    html += "</head>\n<body class=\"shop-list\">\n";
    html += kSiteNav;
    html += "<div id=\"shop-hd\">\n  <div class=\"shop-title\"><h1>" + nick +
            "</h1><span class=\"shop-rank\">掌柜：" + nick + "</span></div>\n";
    // A menu of the shop's own outside the listing section: its entries are <li> as well and
    // must not be taken for items.
    html +=
        "  <ul class=\"shop-menu\">\n"
        "    <li>首页</li>\n    <li>所有宝贝</li>\n    <li>信用评价</li>\n    <li>店铺介绍</li>\n"
        "  </ul>\n</div>\n";
    html += "<div id=\"shop-bd\">\n<div class=\"search-result\">本店共搜索到 <span>" +
            Number(static_cast<long long>(shop.items.size())) + "</span> 个宝贝</div>\n";
    html += shop.paginationMini ? "<div class=\"pagination pagination-mini\">\n"
                                : "<div class=\"pagination\">\n";
    if (!shop.pageInfoMissing) {
        html += "<span class=\"page-info\">" + Number(page) + "/" + Number(pageCount) + "</span>\n";
    }
    if (page > 1) {
        html +=
            "<a class=\"page-prev\" href=\"" + listAddress + Number(page - 1) + "\">上一页</a>\n";
    }
    if (page < pageCount) {
        html +=
            "<a class=\"page-next\" href=\"" + listAddress + Number(page + 1) + "\">下一页</a>\n";
    }
    html += "</div>\n<ul class=\"shop-hesper-bd grid\">\n";
    const std::size_t first = static_cast<std::size_t>(page - 1) * size;
    for (std::size_t i = first; i < shop.items.size() && i < first + size; ++i) {
        const Item& item = shop.items[i];
        const std::string title = EscapeHtml(item.title);
        const std::string link =
            shop.newItemLinks ? b + "/i/" + item.id + ".htm" : b + "/item.htm?id=" + item.id;
        html += shop.newItemLinks ? "<li data-item-id=\"" + item.id + "\">\n<div class=\"item\">\n"
                                  : "<li>\n<div class=\"item\">\n";
        html += "<div class=\"pic\"><a href=\"" + link + "\" target=\"_blank\"><img src=\"" + b +
                "/bao/uploaded/i" + Number(static_cast<long long>(i % 4 + 1)) + "/T1" +
                Number(static_cast<long long>(i * 7919 % 100000)) + "_160x160.jpg\" alt=\"" +
                title + "\" /></a></div>\n";
        html += "<div class=\"desc\"><a href=\"" + link +
                "\" target=\"_blank\" class=\"item-name\">" + title + "</a></div>\n";
        html += "<div class=\"price\"><span class=\"symbol\">&yen;</span><strong>" +
                EscapeHtml(item.price) + "</strong></div>\n";
        html +=
            "<div class=\"sales-amount\">最近成交<em>" + Number(item.soldCount) + "</em>笔</div>\n";
        html += "</div>\n</li>\n";
    }
    html += "</ul>\n<!--end pagination-->\n</div>\n";
    html += kFooter;
    html += "</body>\n</html>\n";
    return html;
}

std::string ItemPage(const Shop& shop, const Item& item, std::string_view base) {
    const std::string b(base);
    const std::string title = EscapeHtml(item.title);
    const std::string nick = EscapeHtml(shop.nick);
    const std::string price = EscapeHtml(item.price);

    std::string html;
    html.reserve(8192);
    html += "<!DOCTYPE html>\n<html>\n<head>\n";
    html += kPageHeadCommon;
    html += "<title>" + title + "-淘宝网</title>\n";
    html += "<meta name=\"keywords\" content=\"" + title + "\" />\n";
    html += "<link rel=\"stylesheet\" href=\"" + b + "/css/item/detail.css\" />\n";
    html += "<script type=\"text/javascript\">\nvar g_config = {\n";
    html += "    \"t\": \"1333574585117\",\n";
    html += "    \"sellerNick\": \"" + nick + "\",\n";
    html += "    \"assetsHost\": \"" + b + "/assets\",\n";
    if (item.hasViewsAddress) {
        html += "    \"apiItemViews\": \"" + b + "/itemviews.htm?id=" + item.id + "\",\n";
    }
    html += "    \"isOnline\": true\n};\n</script>\n</head>\n<body class=\"item-detail\">\n";
    html += kSiteNav;
    html += "<div id=\"header\"><div class=\"shop-name\"><a href=\"" + b + "/shop/" + shop.key +
            "/\">" + nick +
            "</a></div>\n"
            "<div class=\"search\"><form action=\"" +
            b +
            "/search\"><input name=\"q\" value=\"\" />"
            "<button type=\"submit\">搜索</button></form></div></div>\n";
    html += "<div id=\"detail\" class=\"tb-detail\">\n";
    if (item.titleShape == Item::TitleShape::DetailHeading) {
        html += "<div class=\"tb-detail-hd\"><h3>" + title + "</h3></div>\n";
    } else {
        html += "<div class=\"tb-property-hd\"><p class=\"tb-subtitle\">" + nick +
                " 正品保证 七天无理由退换</p></div>\n";
    }
    html += "<form id=\"J_FrmBid\" action=\"" + b + "/buy_now.htm\" method=\"post\">\n";
    if (item.titleShape == Item::TitleShape::HiddenInput) {
        html += "<input type=\"hidden\" name=\"title\" value=\"" + title + "\" />\n";
    }
    html += "<input type=\"hidden\" name=\"item_id\" value=\"" + EscapeHtml(item.id) + "\" />\n";
    html += item.priceBlankBeforeQuote
                ? "<input type=\"hidden\" name=\"current_price\" value= \"" + price + "\" />\n"
                : "<input type=\"hidden\" name=\"current_price\" value=\"" + price + "\" />\n";
    if (!item.stockInSpan) {
        html += "<input type=\"hidden\" name=\"allow_quantity\" value=\"" + Number(item.stock) +
                "\" />\n";
    }
    html += "<input type=\"hidden\" name=\"buyer_from\" value=\"\" />\n</form>\n";
    html += "<ul class=\"tb-meta\">\n";
    html +=
        "<li class=\"tb-detail-price\"><span class=\"tb-property-type\">一口价</span>"
        "<strong class=\"tb-rmb-num\">" +
        price + "</strong>元</li>\n";
    html +=
        "<li class=\"tb-post-age\"><span class=\"tb-property-type\">运费</span>"
        "浙江杭州 至 北京 快递: 10.00 EMS: 20.00</li>\n";
    switch (item.soldShape) {
        case Item::SoldShape::Element:
            html += "<li class=\"tb-sold-out\"><em>" + Number(item.soldCount) +
                    "</em>件 <span class=\"tb-sold-tip\">30天内已售出</span></li>\n";
            break;
        case Item::SoldShape::ElementWithMoreClasses:
            html += "<li class=\"tb-sold-out tb-clear\" data-spm=\"x\"><em>" +
                    Number(item.soldCount) +
                    "</em>件 <span class=\"tb-sold-tip\">30天内已售出</span></li>\n";
            break;
        default:
            html +=
                "<li class=\"tb-sold-count\"><span class=\"tb-property-type\">月销量</span>"
                "<span id=\"J_SellCounter\">-</span>件</li>\n";
            break;
    }
    html += "<li class=\"tb-stock\"><span class=\"tb-property-type\">数量</span>";
    if (item.stockInSpan) {
        html +=
            "库存<span id=\"J_SpanStock\" class=\"tb-count\">" + Number(item.stock) + "</span>件";
    } else {
        html += "<input id=\"J_IptAmount\" type=\"text\" value=\"1\" />件";
    }
    html += "</li>\n</ul>\n";
    html +=
        "<div class=\"tb-key\"><dl class=\"tb-prop\"><dt>颜色分类</dt><dd><ul>"
        "<li><a href=\"#\"><span>黑色</span></a></li><li><a href=\"#\"><span>米白色</span></a></li>"
        "<li><a href=\"#\"><span>藏青色</span></a></li></ul></dd></dl>\n"
        "<dl class=\"tb-prop\"><dt>尺码</dt><dd><ul><li><a href=\"#\"><span>S</span></a></li>"
        "<li><a href=\"#\"><span>M</span></a></li><li><a href=\"#\"><span>L</span></a></li>"
        "<li><a href=\"#\"><span>XL</span></a></li></ul></dd></dl></div>\n";
    html +=
        "<div class=\"tb-action\"><a id=\"J_LinkBuy\" href=\"#\">立刻购买</a> "
        "<a id=\"J_LinkBasket\" href=\"#\">加入购物车</a></div>\n";
    html += "</div>\n";

    html += "<script type=\"text/javascript\">\nTShop.Setup({\n";
    html += "    api: {\n";
    html += "        descUrl: \"" + b + "/desc.htm?id=" + item.id + "\",\n";
    if (item.soldShape == Item::SoldShape::Answer) {
        html += "        getDealQuantity: \"" + b + "/dealquantity.htm?id=" + item.id + "\",\n";
    }
    html += "        fetchDcUrl: \"" + b + "/dc.htm\"\n";
    html += "    },\n    valItemId: \"" + item.id + "\",\n    valMode: 1\n});\n</script>\n";

    html +=
        "<div id=\"J_TabBar\" class=\"tb-tabbar\"><ul><li class=\"selected\"><a "
        "href=\"#description\">"
        "宝贝详情</a></li><li><a href=\"#reviews\">评价详情</a></li>"
        "<li><a href=\"#deal-record\">成交记录</a></li></ul></div>\n";
    html += "<div id=\"description\" class=\"tb-desc\">\n";
    html += "<p><strong>【宝贝名称】</strong>" + title + "</p>\n";
    html +=
        "<p><strong>【温馨提示】</strong>亲，本店所有宝贝均为实物拍摄，由于显示器不同，"
        "颜色可能略有色差，请以实物为准。</p>\n"
        "<p><strong>【尺码说明】</strong>尺码为平铺测量，误差在1-3厘米之内属正常范围，"
        "拿不准尺码的亲请联系客服，我们会根据您的身高体重推荐合适的尺码。</p>\n"
        "<p><strong>【发货说明】</strong>每天下午四点前付款的订单当天发货，默认圆通快递，"
        "偏远地区请联系客服补运费。</p>\n"
        "<p><strong>【售后服务】</strong>支持七天无理由退换货，收到宝贝有任何问题请先联系我们，"
        "我们一定会给您满意的答复。</p>\n"
        "<p><img src=\"" +
        b + "/bao/desc/detail_01.jpg\" alt=\"\" /><img src=\"" + b +
        "/bao/desc/detail_02.jpg\" alt=\"\" /><img src=\"" + b +
        "/bao/desc/detail_03.jpg\" alt=\"\" /></p>\n";
    html += "</div>\n";
    html += "<div id=\"deal-record\" class=\"tb-deal-record\">\n";
    if (!item.dealAddressOverride.empty()) {
        html += "<div class=\"J_TAjaxTrigger hidden J_TAjaxTriggerButton\" params=\"" +
                item.dealAddressOverride + "\"></div>\n";
    } else if (item.hasDealAddress) {
        html += "<div class=\"J_TAjaxTrigger hidden J_TAjaxTriggerButton\" params=\"" + b +
                "/deal_records.htm?item_id=" + item.id +
                "&bid_page=1&page_size=" + Number(item.dealPageSize) + ",showBuyerList\"></div>\n";
    }
    html += "<p class=\"tb-tip\">成交记录正在加载中，请稍候……</p>\n</div>\n";
    html += "<div id=\"reviews\" class=\"tb-reviews\"";
    if (!item.reviewAddressOverride.empty()) {
        html += " data-reviewApi=\"" + item.reviewAddressOverride + "\"";
    } else if (item.hasReviewAddress) {
        html += " data-reviewApi=\"" + b + "/feedRateList.htm?itemId=" + item.id +
                "&currentPage=1&pageSize=" + Number(item.reviewPageSize) +
                "&showContent=1&ismore=0&order=1\"";
    }
    html += "><p class=\"tb-tip\">评价正在加载中……</p></div>\n";
    html += kFooter;
    html += "</body>\n</html>\n";
    return html;
}

std::string DealQuantity(const Item& item) {
    return "TShop.mods.SKU.DealQuantity.show({quanity: " + Number(item.soldCount) +
           ", interval: 30, itemId: \"" + item.id + "\"});";
}

std::string ItemViews(const Item& item) {
    return "{\"" + EscapeJson(item.id) + "\":" + Number(item.views) + "}";
}

static std::string EndlessReviews(const Item& item, int page) {
    const int size = std::max(item.reviewPageSize, 1);
    std::string json = "{\"qnaDisabled\":true,\"maxPage\":2147483647,\"pages\":2147483647,";
    json += "\"currentPageNum\":" + Number(page) + ",\"comments\":[";
    for (int i = 0; i < size; ++i) {
        const long long id = static_cast<long long>(page) * 1000 + i;
        json += std::string(i == 0 ? "" : ",") + "{\"rateContent\":\"第" + Number(page) + "页评价" +
                Number(i) + "\",\"userVipLevel\":1,\"displayUserNick\":\"买家" + Number(id) +
                "\",\"id\":" + Number(id) +
                ",\"displayRatePic\":\"\",\"rateDate\":\"2012-04-05 10:20:33\","
                "\"dispalyRateSum\":3,\"useful\":true}";
    }
    return json + "]}";
}

std::string DealRecords(const Item& item, int page, std::string_view base) {
    const std::string b(base);
    const std::size_t size = static_cast<std::size_t>(std::max(item.dealPageSize, 1));
    const std::size_t first =
        item.repeatRecordsOnFurtherPages ? 0 : static_cast<std::size_t>(page - 1) * size;

    // Written with plain quotation marks, escaped as a whole below.
    std::string html;
    html.reserve(1024 + 600 * size);
    html +=
        "<div class=\"tb-record\"><table class=\"tb-list\" cellspacing=\"0\"><thead><tr>"
        "<th class=\"tb-buyer\">买家</th><th class=\"tb-price\">拍下价格</th>"
        "<th class=\"tb-amount\">数量</th><th class=\"tb-time\">付款时间</th>"
        "<th class=\"tb-sku\">款式和型号</th></tr></thead><tbody>";
    for (std::size_t i = first; i < item.deals.size() && i < first + size; ++i) {
        const Deal& deal = item.deals[i];
        html += (i % 2 == 0) ? "<tr class=\"tb-odd\">" : "<tr>";
        html += "<td class=\"tb-buyer\">";
        if (deal.anonymous) {
            html += "<span class=\"tb-sellnick\">" + deal.anonymousHead +
                    "<span class=tb-anonymous>**</span>" + deal.anonymousTail + "</span>";
        } else {
            html += "<a href=\"" + b + "/u/" + Number(static_cast<long long>(1000 + i)) +
                    "/\" target=\"_blank\">" + deal.buyer + "</a>";
        }
        html += " <img src=\"" + b + "/newrank/" + deal.rankIcon + "\" title=\"" + deal.rankTitle +
                "\" />";
        if (!deal.memberTitle.empty()) {
            html += " <a href=\"" + b + "\" title=\"" + deal.memberTitle +
                    "\" target=\"_blank\"><img src=\"" + b + "/img/vip/vip_icon.png\" /></a>";
        }
        html += "</td><td class=\"tb-price\">" + deal.price + "</td><td class=\"tb-amount\">" +
                deal.amount + "</td><td class=\"tb-time\">" + deal.time +
                "</td><td class=\"tb-sku\">" + deal.skuHtml + "</td></tr>";
    }
    html += "</tbody></table>";
    if (item.hasDealPagingMarker) {
        html += "<div class=\"tb-pager\"><a class=\"J_TAjaxTrigger\" detail:params=\"" + b +
                "/deal_records.htm?item_id=" + item.id +
                (item.pagingBaseWithoutBidPage ? "" : "&amp;bid_page=1") +
                "&amp;page_size=" + Number(item.dealPageSize) +
                "&amp;callback=TShop.mods.DealRecord.reload\" href=\"#\">下一页</a></div>";
    }
    html += "</div>";
    if (item.repeatRecordsOnFurtherPages) {
        html += "<!-- page " + Number(page) + " -->";
    }
    return "TShop.mods.DealRecord.reload({\"html\":\"" + EscapeQuotesForScript(html) +
           "\",\"type\":\"list\"});";
}

std::string Reviews(const Item& item, int page) {
    if (item.endlessReviews) {
        return EndlessReviews(item, page);
    }
    const std::size_t size = static_cast<std::size_t>(std::max(item.reviewPageSize, 1));
    const std::size_t first =
        item.repeatRecordsOnFurtherPages ? 0 : static_cast<std::size_t>(page - 1) * size;
    const int needed = ReviewPageCount(item);
    const int pages = item.reviewPagesValue.value_or(needed);

    std::string json;
    json.reserve(256 + 400 * size);
    json += "{\"qnaDisabled\":true,\"maxPage\":" + Number(needed) + ",";
    if (!item.reviewPagesMissing) {
        json += "\"pages\":" + Number(pages) + ",";
    }
    json += "\"currentPageNum\":" + Number(page) + ",\"comments\":[";
    for (std::size_t i = first; i < item.reviews.size() && i < first + size; ++i) {
        const Review& review = item.reviews[i];
        if (i != first) {
            json += ",";
        }
        std::string content = EscapeJson(review.content);
        if (review.braceInContent) {
            content = WithBraceInside(content);
        }
        std::string nick = EscapeJson(review.nick);
        if (review.braceInNick) {
            nick = WithBraceInside(nick);
        }
        json += "{\"rateContent\":\"" + content + "\",\"userVipLevel\":" + Number(review.vipLevel) +
                ",\"displayUserNick\":\"" + nick + "\",\"id\":" + review.id +
                ",\"displayRatePic\":\"" + EscapeJson(review.pic) + "\",\"rateDate\":\"" +
                EscapeJson(review.date) + "\",\"dispalyRateSum\":" + Number(review.rateSum);
        if (!review.rateSumLast) {
            json += ",\"useful\":true,\"reply\":\"\"";
        }
        json += "}";
    }
    json += "]}";
    return json;
}

std::string LoginPage(std::string_view base) {
    const std::string b(base);
    std::string html = "<!DOCTYPE html>\n<html>\n<head>\n";
    html += kPageHeadCommon;
    html += "<title>淘宝网 - 淘宝登录</title>\n</head>\n<body class=\"login\">\n";
    html +=
        "<div id=\"J_LoginBox\" class=\"login-box\">\n<h2>密码登录</h2>\n"
        "<form id=\"J_Form\" action=\"" +
        b +
        "/member/login.jhtml\" method=\"post\">\n"
        "<input type=\"text\" name=\"TPL_username\" placeholder=\"会员名/邮箱/手机号\" />\n"
        "<input type=\"password\" name=\"TPL_password\" />\n"
        "<button type=\"submit\">登 录</button>\n</form>\n</div>\n";
    html += kFooter;
    html += "</body>\n</html>\n";
    return html;
}

std::string VerificationPage(std::string_view base) {
    const std::string b(base);
    std::string html = "<!DOCTYPE html>\n<html>\n<head>\n";
    html += kPageHeadCommon;
    html += "<title>淘宝网 - 安全验证</title>\n</head>\n<body>\n";
    html +=
        "<div class=\"nc-container\">\n<p class=\"nc-tip\">亲，请拖动下方滑块完成验证</p>\n"
        "<div id=\"nc_1_wrapper\" class=\"nc_wrapper\"><span class=\"nc_iconfont btn_slide\">"
        "&gt;&gt;</span></div>\n<script src=\"" +
        b + "/_____tmd_____/nc.js\"></script>\n</div>\n";
    html += "</body>\n</html>\n";
    return html;
}

std::string ItemPageNewDesign(const Shop& shop, const Item& item, std::string_view base) {
    const std::string b(base);
    const std::string title = EscapeHtml(item.title);
    std::string html = "<!DOCTYPE html>\n<html>\n<head>\n";
    html += "<meta charset=\"gbk\" />\n<title>" + title + "-淘宝网</title>\n";
    html += "<script src=\"" + b + "/assets/pc-detail/index.js\"></script>\n</head>\n<body>\n";
    // Everything the old page carried in hidden inputs and marked elements now comes from a
    // script at run time; the page itself names the item only in headings of a new kind.
    html +=
        "<div id=\"root\"><div class=\"ItemHeader--root\"><h1 class=\"ItemHeader--mainTitle\">" +
        title + "</h1></div>\n";
    html += "<div class=\"Price--root\"><span class=\"Price--priceText\">" +
            EscapeHtml(item.price) + "</span></div>\n";
    html += "<div class=\"ShopHeader--root\">" + EscapeHtml(shop.nick) + "</div></div>\n";
    html += "<script>window.__ICE_APP_CONTEXT__={\"itemId\":\"" + item.id + "\"};</script>\n";
    html += "</body>\n</html>\n";
    return html;
}

std::string ItemListWithoutSection(const Shop& shop, int page, std::string_view base) {
    const std::string b(base);
    const int pageCount = shop.pageInfoValue.value_or(ItemListPageCount(shop));
    const std::size_t size = static_cast<std::size_t>(std::max(shop.listPageSize, 1));
    std::string html = "<!DOCTYPE html>\n<html>\n<head>\n";
    html += kPageHeadCommon;
    html += "<title>首页-" + EscapeHtml(shop.nick) + "-淘宝网</title>\n</head>\n<body>\n";
    html += kSiteNav;
    // The page info survives the redesign; the listing moved into blocks the reader never
    // looks for, with neither the pagination heading nor its end mark.
    html += "<div class=\"shop-nav\"><span class=\"page-info\">" + Number(page) + "/" +
            Number(pageCount) + "</span></div>\n<div class=\"shop-items\">\n";
    const std::size_t first = static_cast<std::size_t>(std::max(page - 1, 0)) * size;
    for (std::size_t i = first; i < shop.items.size() && i < first + size; ++i) {
        html += "<div class=\"shop-item\" data-id=\"" + shop.items[i].id + "\"><a href=\"" + b +
                "/item.htm?id=" + shop.items[i].id + "\">" + EscapeHtml(shop.items[i].title) +
                "</a></div>\n";
    }
    html += "</div>\n";
    html += kFooter;
    html += "</body>\n</html>\n";
    return html;
}

}  // namespace marketsim::pages
