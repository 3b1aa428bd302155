#include "simulator/wctp_server.h"

#include "store/codepage.h"

#include <expat.h>
#include <microhttpd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <system_error>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>

namespace tolvane::simulator {

namespace {

constexpr std::size_t kDocumentLimit = 64 * 1024;

// What a submit request says, as far as a gateway needs it.
struct Submitted {
    std::string version;
    bool submitRequest = false;
    std::string senderId;
    std::string securityCode;
    bool hasSecurityCode = false;
    std::string messageId;
    std::string recipientId;
    std::string text;
    bool inText = false;
};

std::string attributeOf(const XML_Char** attributes, std::string_view name, bool* found = nullptr)
{
    for (int i = 0; attributes[i] != nullptr; i += 2) {
        if (name == attributes[i]) {
            if (found)
                *found = true;
            return attributes[i + 1];
        }
    }
    return {};
}

void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** attributes)
{
    auto& s = *static_cast<Submitted*>(data);
    const std::string_view element(name);
    if (element == "wctp-Operation")
        s.version = attributeOf(attributes, "wctpVersion");
    else if (element == "wctp-SubmitRequest")
        s.submitRequest = true;
    else if (element == "wctp-Originator") {
        s.senderId = attributeOf(attributes, "senderID");
        s.securityCode = attributeOf(attributes, "securityCode", &s.hasSecurityCode);
    } else if (element == "wctp-MessageControl")
        s.messageId = attributeOf(attributes, "messageID");
    else if (element == "wctp-Recipient")
        s.recipientId = attributeOf(attributes, "recipientID");
    else if (element == "wctp-Alphanumeric")
        s.inText = true;
}

void XMLCALL onEnd(void* data, const XML_Char* name)
{
    if (std::string_view(name) == "wctp-Alphanumeric")
        static_cast<Submitted*>(data)->inText = false;
}

void XMLCALL onText(void* data, const XML_Char* text, int length)
{
    auto& s = *static_cast<Submitted*>(data);
    if (s.inText)
        s.text.append(text, static_cast<std::size_t>(length));
}

std::string escaped(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
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

std::string confirmation(int code, std::string_view text)
{
    const bool success = code / 100 == 2;
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<!DOCTYPE wctp-Operation SYSTEM \"http://dtd.wctp.org/wctp-dtd-v1r3.dtd\">\n"
                       "<wctp-Operation wctpVersion=\"wctp-dtd-v1r3\"><wctp-Confirmation>")
        + (success ? "<wctp-Success successCode=\"" : "<wctp-Failure errorCode=\"") + std::to_string(code)
        + (success ? "\" successText=\"" : "\" errorText=\"") + escaped(text) + "\">" + escaped(text)
        + (success ? "</wctp-Success>" : "</wctp-Failure>") + "</wctp-Confirmation></wctp-Operation>\n";
}

struct Upload {
    std::string body;
    bool tooLong = false;
};

MHD_Result queue(MHD_Connection* connection, int status, const std::string& body)
{
    MHD_Response* response
        = MHD_create_response_from_buffer(body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
    MHD_add_response_header(response, "Content-Type", "text/xml");
    const MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(status), response);
    MHD_destroy_response(response);
    return queued;
}

MHD_Result onRequest(void* self, MHD_Connection* connection, const char*, const char* method, const char*,
    const char* upload, std::size_t* uploadSize, void** state)
{
    auto& server = *static_cast<WctpServer*>(self);
    if (*state == nullptr) {
        *state = new Upload;
        return MHD_YES;
    }
    auto& received = *static_cast<Upload*>(*state);
    if (*uploadSize != 0) {
        if (received.body.size() + *uploadSize > kDocumentLimit)
            received.tooLong = true;
        else
            received.body.append(upload, *uploadSize);
        *uploadSize = 0;
        return MHD_YES;
    }
    if (std::strcmp(method, "POST") != 0)
        return queue(connection, MHD_HTTP_METHOD_NOT_ALLOWED, confirmation(300, "Operation not supported"));
    if (received.tooLong)
        return queue(connection, MHD_HTTP_CONTENT_TOO_LARGE, confirmation(301, "Input can not be parsed"));
    const WctpServer::Answer answer = server.answer(received.body);
    if (answer.drop)
        return MHD_NO;
    while (answer.hold && !server.stopping())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (answer.hold)
        return MHD_NO;
    return queue(connection, answer.httpStatus, answer.body);
}

void onCompleted(void*, MHD_Connection*, void** state, MHD_RequestTerminationCode)
{
    delete static_cast<Upload*>(*state);
    *state = nullptr;
}

} // namespace

WctpServer::WctpServer(SimulatorOptions options)
    : m_options(std::move(options))
{
}

WctpServer::~WctpServer()
{
    stop();
}

void WctpServer::start(int port)
{
    if (m_daemon != nullptr)
        return;
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    m_stopping = false;
    // A thread per connection, so that a slow or held answer keeps no other client waiting.
    m_daemon = MHD_start_daemon(MHD_USE_THREAD_PER_CONNECTION | MHD_USE_INTERNAL_POLLING_THREAD,
        static_cast<std::uint16_t>(port), nullptr, nullptr, &onRequest, this, MHD_OPTION_SOCK_ADDR, &address,
        MHD_OPTION_NOTIFY_COMPLETED, &onCompleted, nullptr, MHD_OPTION_CONNECTION_TIMEOUT, 120U, MHD_OPTION_END);
    if (m_daemon == nullptr)
        throw std::system_error(EADDRINUSE, std::generic_category(), "127.0.0.1:" + std::to_string(port));
    m_port = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_BIND_PORT)->port;
}

void WctpServer::stop()
{
    if (m_daemon == nullptr)
        return;
    m_stopping = true;
    MHD_stop_daemon(m_daemon);
    m_daemon = nullptr;
}

std::vector<PageRecord> WctpServer::pages() const
{
    const std::lock_guard lock(m_mutex);
    return m_pages;
}

WctpServer::Answer WctpServer::answer(const std::string& document)
{
    const auto started = std::chrono::steady_clock::now();
    Submitted submitted;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &submitted);
    XML_SetElementHandler(parser, onStart, onEnd);
    XML_SetCharacterDataHandler(parser, onText);
    const bool parsed = XML_Parse(parser, document.data(), static_cast<int>(document.size()), 1) == XML_STATUS_OK;
    XML_ParserFree(parser);

    const std::lock_guard lock(m_mutex);
    const auto at = std::chrono::duration_cast<Millis>(started - m_started);
    if (m_transcriptListener)
        m_transcriptListener(TranscriptEntry { at, TranscriptDirection::FromClient, document });
    Answer answer;
    const auto conclude = [&](int code, std::string_view text) {
        answer.body = confirmation(code, text);
        if (m_transcriptListener)
            m_transcriptListener(TranscriptEntry { at, TranscriptDirection::ToClient, answer.body });
        return answer;
    };
    if (!parsed)
        return conclude(301, "Input can not be parsed");
    if (!submitted.submitRequest)
        return conclude(300, "Operation not supported");
    if (!submitted.version.starts_with("wctp-dtd-v1r"))
        return conclude(303, "version error");
    if (!m_options.password.empty() && submitted.securityCode != m_options.password)
        return conclude(402, "invalid security code");
    const auto& refused = m_options.refusedPagerIds;
    if (submitted.recipientId.empty()
        || std::find(refused.begin(), refused.end(), submitted.recipientId) != refused.end())
        return conclude(403, "invalid recipientID");
    if (!submitted.messageId.empty() && m_delivered.count(submitted.messageId) != 0)
        return conclude(200, "Message accepted before; not delivered again");

    const ScriptedReply scripted
        = m_requests < m_options.blockScript.size() ? m_options.blockScript[m_requests] : ScriptedReply::Auto;
    ++m_requests;
    const Millis slow = m_options.replyDelay + m_options.blockReplyDelay;
    if (slow.count() > 0) {
        m_mutex.unlock();
        std::this_thread::sleep_for(slow);
        m_mutex.lock();
    }
    switch (scripted) {
    case ScriptedReply::Rs:
        return conclude(403, "invalid recipientID");
    case ScriptedReply::Nak:
        return conclude(604, "internal error, try again later");
    case ScriptedReply::Eot:
        answer.httpStatus = MHD_HTTP_SERVICE_UNAVAILABLE;
        answer.body = "<html><body>Service unavailable</body></html>";
        return answer;
    case ScriptedReply::None:
        answer.hold = true;
        return answer;
    case ScriptedReply::Drop:
        answer.drop = true;
        return answer;
    default:
        break;
    }
    PageRecord page { "wctp", store::utf8ToCp1252(submitted.recipientId), store::utf8ToCp1252(submitted.text),
        submitted.senderId + (submitted.hasSecurityCode ? ":" + submitted.securityCode : ""), std::nullopt, "200", at };
    page.reply = "200 " + submitted.messageId;
    m_pages.push_back(page);
    if (!submitted.messageId.empty())
        m_delivered[submitted.messageId] = true;
    if (m_pageListener)
        m_pageListener(page);
    return conclude(200, "Message accepted");
}

} // namespace tolvane::simulator
