#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "Market.h"

// The marketplace's pages and answers as the readers expect them, rendered from the model.
// Everything here is UTF-8; the caller converts to GBK once, where the bytes leave. `base` is
// the server's own address ("http://127.0.0.1:PORT") that every host-bearing marker carries.
namespace marketsim::pages {

// Pages a list of `count` entries fills at `pageSize` a page (a size below 1 counts as 1).
int PagesNeeded(std::size_t count, int pageSize);
int ItemListPageCount(const Shop& shop);  // what "N/P" says: at least 1
int DealPageCount(const Item& item);
int ReviewPageCount(const Item& item);  // what "pages" says unless the item overrides it

std::string ShopLink(const Shop& shop, std::string_view base);

// The IM card page; `shop` null for a nick the marketplace does not know.
std::string ImCard(const Shop* shop, std::string_view base);
std::string ItemList(const Shop& shop, int page, std::string_view base);
std::string ItemPage(const Shop& shop, const Item& item, std::string_view base);
std::string DealQuantity(const Item& item);
std::string ItemViews(const Item& item);
std::string DealRecords(const Item& item, int page, std::string_view base);
std::string Reviews(const Item& item, int page);

// What a marketplace that shuts a client out answers instead (see Shop::BlockMode).
std::string LoginPage(std::string_view base);
std::string VerificationPage(std::string_view base);
std::string ItemPageNewDesign(const Shop& shop, const Item& item, std::string_view base);
std::string ItemListWithoutSection(const Shop& shop, int page, std::string_view base);

std::string EscapeHtml(std::string_view text);  // & < > " as character references
std::string EscapeJson(std::string_view text);  // the inside of a JSON string

}  // namespace marketsim::pages
