#include "platform/gateway/curl_handles.h"

#include <openssl/ssl.h>

#include <mutex>
#include <stdexcept>

namespace tolvane::platform {

CurlTransfer::CurlTransfer(const std::string& url, const std::string& caFile)
    : m_caFile(caFile)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    m_easy = curl_easy_init();
    m_multi = curl_multi_init();
    if (m_easy == nullptr || m_multi == nullptr)
        throw std::runtime_error("libcurl could not start a transfer");
    curl_easy_setopt(m_easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(m_easy, CURLOPT_ERRORBUFFER, m_error);
    curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_easy, CURLOPT_CONNECTTIMEOUT_MS, 30000L);
    curl_easy_setopt(m_easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(m_easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(m_easy, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!m_caFile.empty()) {
        curl_easy_setopt(m_easy, CURLOPT_SSL_CTX_FUNCTION, &CurlTransfer::addAuthority);
        curl_easy_setopt(m_easy, CURLOPT_SSL_CTX_DATA, m_caFile.c_str());
    }
}

CurlTransfer::~CurlTransfer()
{
    if (m_added)
        curl_multi_remove_handle(m_multi, m_easy);
    curl_easy_cleanup(m_easy);
    curl_multi_cleanup(m_multi);
}

// The system's authorities are loaded already; the private one is added beside them.
CURLcode CurlTransfer::addAuthority(CURL*, void* sslContext, void* file)
{
    auto* context = static_cast<SSL_CTX*>(sslContext);
    return SSL_CTX_load_verify_locations(context, static_cast<const char*>(file), nullptr) == 1
        ? CURLE_OK
        : CURLE_SSL_CACERT_BADFILE;
}

void CurlTransfer::start()
{
    m_error[0] = '\0';
    if (m_added)
        curl_multi_remove_handle(m_multi, m_easy);
    m_added = curl_multi_add_handle(m_multi, m_easy) == CURLM_OK;
}

bool CurlTransfer::step(CURLcode& result)
{
    if (!m_added) {
        result = CURLE_FAILED_INIT;
        return true;
    }
    int running = 0;
    curl_multi_perform(m_multi, &running);
    int left = 0;
    while (const CURLMsg* message = curl_multi_info_read(m_multi, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == m_easy) {
            result = message->data.result;
            return true;
        }
    }
    return false;
}

std::string CurlTransfer::failure(CURLcode result) const
{
    if (result == CURLE_SSL_CACERT_BADFILE && !m_caFile.empty())
        return "the CA file " + m_caFile + " holds no certificate authority";
    return m_error[0] != '\0' ? std::string(m_error) : std::string(curl_easy_strerror(result));
}

} // namespace tolvane::platform
