#include "notify/CurlEasy.h"

#include <mutex>

#include "notify/NotifyChannel.h"

namespace tarnwick {

namespace {

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
            throw NotifyError("curl_global_init failed");
        }
    });
}

}  // namespace

CurlEasy::CurlEasy() {
    InitCurlOnce();
    m_easy.reset(curl_easy_init());
    if (!m_easy) {
        throw NotifyError("curl_easy_init failed");
    }
    Set(CURLOPT_ERRORBUFFER, m_error, "error buffer");
    // Sending runs on the runner's threads; libcurl must not use signals for its time-outs.
    Set(CURLOPT_NOSIGNAL, 1L, "no signals");
}

void CurlEasy::AppendToList(CURLoption option, const std::string& line, const char* what) {
    curl_slist* list = curl_slist_append(m_list.get(), line.c_str());
    if (list == nullptr) {
        throw NotifyError(std::string("out of memory for ") + what);
    }
    m_list.release();
    m_list.reset(list);
    Set(option, m_list.get(), what);
}

void CurlEasy::CollectBody(std::string& body, std::size_t maxBytes) {
    m_sink = {&body, maxBytes};
    Set(CURLOPT_WRITEFUNCTION, &CurlEasy::Write, "body collector");
    Set(CURLOPT_WRITEDATA, &m_sink, "body collector");
}

size_t CurlEasy::Write(char* data, size_t size, size_t count, void* sink) noexcept {
    auto* to = static_cast<Sink*>(sink);
    const size_t bytes = size * count;
    if (to->body->size() + bytes > to->maxBytes) {
        return 0;  // libcurl fails the transfer as a write error
    }
    try {
        to->body->append(data, bytes);
    } catch (...) {
        return 0;
    }
    return bytes;
}

void CurlEasy::Perform(const std::string& what) {
    m_error[0] = '\0';
    const CURLcode code = curl_easy_perform(m_easy.get());
    if (code != CURLE_OK) {
        const std::string reason = m_error[0] != '\0' ? m_error : curl_easy_strerror(code);
        throw NotifyError(what + ": " + reason);
    }
}

long CurlEasy::ResponseCode() const {
    long code = 0;
    curl_easy_getinfo(m_easy.get(), CURLINFO_RESPONSE_CODE, &code);
    return code;
}

void CurlEasy::Check(CURLcode code, const char* what) const {
    if (code != CURLE_OK) {
        throw NotifyError(std::string("cannot set the ") + what + ": " + curl_easy_strerror(code));
    }
}

}  // namespace tarnwick
