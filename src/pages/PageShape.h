#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// What a page turned out to be, as far as its text tells: the page we asked for in the shape we
// read, that page without its usual shape (the marketplace changed it, or sent something else
// at the same address), or a login or "prove you are a person" page in its place.
enum class PageShape { Usual, Shapeless, Login, Verification };

// A page's title: the trimmed text between the first <title> and </title>; empty when none.
std::string PageTitle(std::string_view text);

// Login or Verification when the page's title says so, otherwise Usual. Only the title counts:
// the navigation of every real page links to the login.
PageShape TitleShape(std::string_view text);

// Whether `marker` stands in `text`, ASCII letters compared without case: the way the parsers
// find their markers.
bool HasMarker(std::string_view text, std::string_view marker);

}  // namespace tarnwick
