#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>

namespace tolvane::platform {

// One transfer of a gateway link on its own multi handle, so that every step is a non-blocking poll.
class CurlTransfer {
public:
    CurlTransfer(const std::string& url, const std::string& caFile);
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    CURL* easy() const { return m_easy; }
    void start();
    // Runs the transfer a step; true once it has ended, with its result in `result`.
    bool step(CURLcode& result);
    // The reason of a failed transfer: libcurl's own words where it has them.
    std::string failure(CURLcode result) const;

private:
    static CURLcode addAuthority(CURL* easy, void* sslContext, void* file);

    CURL* m_easy = nullptr;
    CURLM* m_multi = nullptr;
    std::string m_caFile;
    char m_error[CURL_ERROR_SIZE] = {};
    bool m_added = false;
};

} // namespace tolvane::platform
