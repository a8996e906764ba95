#include "fetch/HtmlToText.h"

#include <array>
#include <climits>
#include <memory>
#include <mutex>

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include "base/Text.h"
#include "fetch/TextTools.h"

namespace tarnwick {
namespace {

struct DocDeleter {
    void operator()(xmlDoc* doc) const noexcept { xmlFreeDoc(doc); }
};

struct ContextDeleter {
    void operator()(htmlParserCtxt* context) const noexcept { htmlFreeParserCtxt(context); }
};

using DocPtr = std::unique_ptr<xmlDoc, DocDeleter>;
using ContextPtr = std::unique_ptr<htmlParserCtxt, ContextDeleter>;

std::string_view NameOf(const xmlNode* node) {
    return node->name == nullptr ? std::string_view()
                                 : std::string_view(reinterpret_cast<const char*>(node->name));
}

template <std::size_t N>
bool IsOneOf(std::string_view name, const std::array<std::string_view, N>& names) {
    for (std::string_view candidate : names) {
        if (name == candidate) {
            return true;
        }
    }
    return false;
}

// Code and templates are not text a reader sees; a title or a variant must not pick them up.
bool IsHidden(std::string_view name) {
    static constexpr std::array<std::string_view, 4> hidden{"script", "style", "template",
                                                            "noscript"};
    return IsOneOf(name, hidden);
}

// Elements a browser lays out on lines of their own; their text is kept apart by a line break
// so that, say, two variant lines of a deal record do not run into one word.
bool IsBlock(std::string_view name) {
    static constexpr std::array<std::string_view, 34> blocks{
        "address", "article", "aside",   "blockquote", "br",       "caption",    "center",
        "dd",      "div",     "dl",      "dt",         "fieldset", "figcaption", "figure",
        "footer",  "form",    "h1",      "h2",         "h3",       "h4",         "h5",
        "h6",      "header",  "hr",      "li",         "main",     "nav",        "ol",
        "p",       "pre",     "section", "table",      "tr",       "ul"};
    return IsOneOf(name, blocks);
}

bool IsCell(std::string_view name) {
    return name == "td" || name == "th";
}

// Collects the text as a browser shows it: runs of white space become one blank, block
// boundaries one line break, and neither is kept at the start or the end.
class TextCollector {
public:
    void AddText(std::string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
                Separate(Separator::Blank);
                continue;
            }
            // A no-break space is layout padding; as U+00A0 it could not even be written back
            // to GBK.
            if (c == '\xC2' && i + 1 < text.size() && text[i + 1] == '\xA0') {
                Separate(Separator::Blank);
                ++i;
                continue;
            }
            if (m_pending == Separator::Blank) {
                m_text += ' ';
            } else if (m_pending == Separator::Break) {
                m_text += '\n';
            }
            m_pending = Separator::None;
            m_text += c;
        }
    }

    void Open(std::string_view name) { Boundary(name); }
    void Close(std::string_view name) { Boundary(name); }

    std::string Text() const { return Trim(m_text); }

private:
    enum class Separator { None, Blank, Break };

    void Boundary(std::string_view name) {
        if (IsBlock(name)) {
            Separate(Separator::Break);
        } else if (IsCell(name)) {
            Separate(Separator::Blank);
        }
    }

    void Separate(Separator separator) {
        if (!m_text.empty() && separator > m_pending) {
            m_pending = separator;
        }
    }

    std::string m_text;
    Separator m_pending = Separator::None;
};

const xmlNode* FindBody(const xmlDoc* doc) {
    const xmlNode* root = xmlDocGetRootElement(doc);
    if (root == nullptr) {
        return nullptr;
    }
    for (const xmlNode* child = root->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE && NameOf(child) == "body") {
            return child;
        }
    }
    return nullptr;
}

// Walks without recursion: a page fragment may nest deeper than a thread's stack allows.
std::string TextOf(const xmlNode* body) {
    TextCollector collector;
    const xmlNode* node = body->children;
    while (node != nullptr) {
        if (node->type == XML_TEXT_NODE && node->content != nullptr) {
            collector.AddText(reinterpret_cast<const char*>(node->content));
        } else if (node->type == XML_ELEMENT_NODE && !IsHidden(NameOf(node))) {
            collector.Open(NameOf(node));
            if (node->children != nullptr) {
                node = node->children;
                continue;
            }
            collector.Close(NameOf(node));
        }
        while (node != body && node->next == nullptr) {
            node = node->parent;
            if (node != body) {
                collector.Close(NameOf(node));
            }
        }
        node = node == body ? nullptr : node->next;
    }
    return collector.Text();
}

std::string LastErrorOf(htmlParserCtxt* context) {
    const xmlError* error = xmlCtxtGetLastError(context);
    if (error == nullptr || error->message == nullptr) {
        return "no reason given";
    }
    return Trim(error->message);
}

}  // namespace

std::string HtmlToText(std::string_view fragment) {
    if (fragment.empty()) {
        return {};
    }
    // libxml2 sets up its global tables here; doing it lazily from two threads at once races.
    static std::once_flag initialised;
    std::call_once(initialised, [] { xmlInitParser(); });

    if (fragment.size() > static_cast<std::size_t>(INT_MAX)) {
        throw HtmlError("HTML fragment of " + std::to_string(fragment.size()) +
                        " bytes is too long for the parser");
    }
    ContextPtr context(htmlNewParserCtxt());
    if (!context) {
        throw HtmlError("cannot create an HTML parser context");
    }
    // The fragment is UTF-8 already: a charset named in a meta element of the page is stale.
    // Without XML_PARSE_HUGE the parser halts at 256 open elements and silently drops the rest
    // of the text; a fragment is cut from one fetched page, so its size bounds the work anyway.
    constexpr int options = HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET |
                            HTML_PARSE_IGNORE_ENC | XML_PARSE_HUGE;
    DocPtr doc(htmlCtxtReadMemory(context.get(), fragment.data(), static_cast<int>(fragment.size()),
                                  nullptr, "UTF-8", options));
    // A fragment of markup alone still yields a document; none at all is a real failure.
    if (!doc) {
        throw HtmlError("cannot parse an HTML fragment of " + std::to_string(fragment.size()) +
                        " bytes: " + LastErrorOf(context.get()));
    }
    const xmlNode* body = FindBody(doc.get());
    return body == nullptr ? std::string() : TextOf(body);
}

}  // namespace tarnwick
