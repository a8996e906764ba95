#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>
#include <string_view>

namespace tarnwick {

// One libcurl easy handle with its header or recipient list and its error text. Every option
// set is checked; a failure throws NotifyError naming the option's purpose.
class CurlEasy {
public:
    CurlEasy();
    CurlEasy(const CurlEasy&) = delete;
    CurlEasy& operator=(const CurlEasy&) = delete;

    template <typename T>
    void Set(CURLoption option, T value, const char* what) {
        Check(curl_easy_setopt(m_easy.get(), option, value), what);
    }
    // Adds a line to the list that `option` takes (headers, recipients) and hands the list over.
    void AppendToList(CURLoption option, const std::string& line, const char* what);
    // Collects the answer's body, up to `maxBytes`; a longer one fails the transfer.
    void CollectBody(std::string& body, std::size_t maxBytes);
    // Runs the transfer; a failure throws NotifyError with libcurl's reason after `what`.
    void Perform(const std::string& what);
    long ResponseCode() const;

private:
    struct EasyDeleter {
        void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
    };
    struct ListDeleter {
        void operator()(curl_slist* list) const { curl_slist_free_all(list); }
    };
    struct Sink {
        std::string* body = nullptr;
        std::size_t maxBytes = 0;
    };

    void Check(CURLcode code, const char* what) const;
    static size_t Write(char* data, size_t size, size_t count, void* sink) noexcept;

    std::unique_ptr<CURL, EasyDeleter> m_easy;
    std::unique_ptr<curl_slist, ListDeleter> m_list;
    Sink m_sink;
    char m_error[CURL_ERROR_SIZE] = {};
};

}  // namespace tarnwick
