#pragma once

#include <vector>

#include <QString>

namespace tarnwick {

// The English form of a text the core wrote in Chinese: the analysis log's lines, a run's
// health verdict and reasons, the messages of a failed database or export. The core keeps its
// texts as the log and the stored rows need them, Chinese byte for byte; the interface puts
// them in its own language when it shows them. Under the Chinese interface, and for a text of
// no known form (a page's own text, a library's message), the text comes back unchanged.
QString SystemText(const QString& text);

// Every form SystemText knows, as written in the core with %1, %2 ... for its parts.
std::vector<const char*> SystemTextForms();

}  // namespace tarnwick
