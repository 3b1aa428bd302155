#include "platform/gateway/curl_handles.h"
#include "platform/gateway/gateway_target.h"
#include "platform/gateway/wctp_document.h"

#include <chrono>
#include <ctime>
#include <fstream>
#include <stdexcept>
#include <utility>

namespace tolvane::platform {
namespace {

// What a gateway may send us before the call has read it, and the longest WCTP answer taken.
constexpr std::size_t kReceiveLimit = 1 << 20;

std::string hostInUrl(const std::string& host)
{
    return host.find(':') != std::string::npos ? "[" + host + "]" : host;
}

// SNPP over libcurl's connection alone (CONNECT_ONLY): it resolves, connects and, for snpps, does the TLS
// handshake and the certificate check; the SNPP lines then go through curl_easy_send and curl_easy_recv.
// The http(s) scheme only tells libcurl whether to speak TLS: with CONNECT_ONLY no HTTP is sent.
class CurlSnppLink final : public engine::SnppLink {
public:
    explicit CurlSnppLink(const GatewayTarget& target)
        : m_transfer(
            (target.tls ? "https://" : "http://") + hostInUrl(target.host) + ":" + std::to_string(target.port) + "/",
            target.caFile)
    {
        curl_easy_setopt(m_transfer.easy(), CURLOPT_CONNECT_ONLY, 1L);
        curl_easy_setopt(m_transfer.easy(), CURLOPT_SSL_ENABLE_ALPN, 0L);
    }

    State poll() override
    {
        if (m_state == State::Connecting) {
            if (!m_started) {
                m_transfer.start();
                m_started = true;
            }
            CURLcode result = CURLE_OK;
            if (!m_transfer.step(result))
                return m_state;
            if (result != CURLE_OK)
                return close(m_transfer.failure(result));
            m_state = State::Open;
        }
        if (m_state == State::Open)
            exchange();
        return m_state;
    }

    void send(std::string_view bytes) override
    {
        m_outgoing += bytes;
        if (m_state == State::Open)
            exchange();
    }

    std::string receive() override { return std::exchange(m_incoming, std::string()); }
    std::string closedReason() const override { return m_reason; }

private:
    State close(std::string reason)
    {
        m_state = State::Closed;
        m_reason = std::move(reason);
        return m_state;
    }

    void exchange()
    {
        while (!m_outgoing.empty()) {
            std::size_t sent = 0;
            const CURLcode result = curl_easy_send(m_transfer.easy(), m_outgoing.data(), m_outgoing.size(), &sent);
            if (result == CURLE_AGAIN)
                break;
            if (result != CURLE_OK) {
                close(m_transfer.failure(result));
                return;
            }
            m_outgoing.erase(0, sent);
        }
        char buffer[4096];
        while (m_incoming.size() < kReceiveLimit) {
            std::size_t got = 0;
            const CURLcode result = curl_easy_recv(m_transfer.easy(), buffer, sizeof buffer, &got);
            if (result == CURLE_AGAIN)
                return;
            if (result != CURLE_OK) {
                close(m_transfer.failure(result));
                return;
            }
            if (got == 0) {
                close("the gateway closed the connection");
                return;
            }
            m_incoming.append(buffer, got);
        }
    }

    CurlTransfer m_transfer;
    State m_state = State::Connecting;
    bool m_started = false;
    std::string m_outgoing;
    std::string m_incoming;
    std::string m_reason;
};

// WCTP over libcurl: each request a POST of text/xml on one handle, so the connection (and its TLS
// session) carries on from one page to the next.
class CurlWctpLink final : public engine::WctpLink {
public:
    explicit CurlWctpLink(const GatewayTarget& target)
        : m_transfer(target.postUrl, target.caFile)
    {
        CURL* easy = m_transfer.easy();
        m_headers = curl_slist_append(m_headers, "Content-Type: text/xml");
        m_headers = curl_slist_append(m_headers, "Expect:");
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, m_headers);
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlWctpLink::collect);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
        // A backstop only: the call gives up on its own clock first.
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, 120000L);
    }
    ~CurlWctpLink() override { curl_slist_free_all(m_headers); }
    CurlWctpLink(const CurlWctpLink&) = delete;
    CurlWctpLink& operator=(const CurlWctpLink&) = delete;

    void post(const engine::WctpRequest& request) override
    {
        const std::string document = wctpSubmitDocument(request, utcTimestamp());
        curl_easy_setopt(m_transfer.easy(), CURLOPT_COPYPOSTFIELDS, document.c_str());
        m_body.clear();
        m_transfer.start();
        m_running = true;
    }

    std::optional<engine::WctpAnswer> poll() override
    {
        CURLcode result = CURLE_OK;
        if (!m_running || !m_transfer.step(result))
            return std::nullopt;
        m_running = false;
        engine::WctpAnswer answer;
        long status = 0;
        curl_easy_getinfo(m_transfer.easy(), CURLINFO_RESPONSE_CODE, &status);
        if (result != CURLE_OK) {
            long requestBytes = 0;
            curl_easy_getinfo(m_transfer.easy(), CURLINFO_REQUEST_SIZE, &requestBytes);
            answer.transportFailure
                = m_body.size() >= kReceiveLimit ? "the answer is longer than 1 MiB" : m_transfer.failure(result);
            answer.requestSent = requestBytes > 0;
            return answer;
        }
        answer.httpStatus = static_cast<int>(status);
        readWctpAnswer(m_body, answer);
        return answer;
    }

private:
    static std::size_t collect(char* data, std::size_t size, std::size_t count, void* self)
    {
        auto& body = static_cast<CurlWctpLink*>(self)->m_body;
        if (body.size() + size * count > kReceiveLimit) {
            body.resize(kReceiveLimit);
            return 0; // ends the transfer with a write error
        }
        body.append(data, size * count);
        return size * count;
    }

    static std::string utcTimestamp()
    {
        const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
        std::tm utc {};
        gmtime_r(&now, &utc);
        char text[32];
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
        return text;
    }

    CurlTransfer m_transfer;
    curl_slist* m_headers = nullptr;
    std::string m_body;
    bool m_running = false;
};

} // namespace

std::unique_ptr<engine::GatewayLink> openGatewayLink(const GatewayTarget& target)
{
    if (!target.caFile.empty() && !std::ifstream(target.caFile))
        throw std::runtime_error("the CA file " + target.caFile + " cannot be read");
    auto link = std::make_unique<engine::GatewayLink>();
    link->protocol = target.protocol;
    link->shownAddress = target.shown;
    link->user = target.user;
    link->secret = target.secret;
    if (target.protocol == engine::GatewayProtocol::Snpp)
        link->snpp = std::make_unique<CurlSnppLink>(target);
    else
        link->wctp = std::make_unique<CurlWctpLink>(target);
    return link;
}

} // namespace tolvane::platform
