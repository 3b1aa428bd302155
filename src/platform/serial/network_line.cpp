#include "platform/serial/network_line.h"

#include "platform/gateway/gateway_target.h"
#include "platform/serial/line_settings.h"
#include "platform/serial/serial_error_text.h"
#include "platform/serial/text_fields.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tolvane::platform {

namespace {

using Clock = std::chrono::steady_clock;

// A command line longer than a real modem's buffer is cut, not grown without end.
constexpr std::size_t kCommandLimit = 256;

char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

[[noreturn]] void fail(int number, const std::string& detail)
{
    throw engine::SerialError(number, serialErrorDescription(number, detail));
}

// An IPv4 or IPv6 address in its numeric form, ready for connect().
struct SocketAddress {
    sockaddr_storage storage {};
    socklen_t length = 0;
};

std::optional<SocketAddress> numericAddress(const std::string& text, int port)
{
    SocketAddress address;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address.storage);
    if (::inet_pton(AF_INET, text.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<std::uint16_t>(port));
        address.length = sizeof(sockaddr_in);
        return address;
    }
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address.storage);
    if (::inet_pton(AF_INET6, text.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<std::uint16_t>(port));
        address.length = sizeof(sockaddr_in6);
        return address;
    }
    return std::nullopt;
}

std::string connectText(const std::string& settings)
{
    return "CONNECT " + std::to_string(LineSettings::parse(settings).value_or(LineSettings {}).baud);
}

std::string durationText(std::chrono::milliseconds limit)
{
    return limit.count() % 1000 == 0 ? std::to_string(limit.count() / 1000) + " s"
                                     : std::to_string(limit.count()) + " ms";
}

} // namespace

struct NetworkLine::Lookup {
    std::mutex mutex;
    bool done = false;
    std::vector<std::string> addresses;
    std::string error;
};

NetworkLine::NetworkLine(DialPlans plans, Resolver resolver, std::chrono::milliseconds connectLimit)
    : m_plans(std::move(plans))
    , m_resolver(std::move(resolver))
    , m_connectLimit(connectLimit)
{
}

NetworkLine::~NetworkLine()
{
    close();
}

NetworkLine::Resolver NetworkLine::systemResolver()
{
    return [](const std::string& host, std::string& error) {
        addrinfo hints {};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        const int status = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
        std::vector<std::string> addresses;
        if (status != 0) {
            error = status == EAI_SYSTEM ? std::strerror(errno) : ::gai_strerror(status);
            return addresses;
        }
        for (const addrinfo* each = found; each != nullptr; each = each->ai_next) {
            std::array<char, INET6_ADDRSTRLEN> text {};
            const void* raw = each->ai_family == AF_INET
                ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in*>(each->ai_addr)->sin_addr)
                : static_cast<const void*>(&reinterpret_cast<const sockaddr_in6*>(each->ai_addr)->sin6_addr);
            if ((each->ai_family == AF_INET || each->ai_family == AF_INET6)
                && ::inet_ntop(each->ai_family, raw, text.data(), text.size()) != nullptr) {
                std::string address(text.data());
                if (std::find(addresses.begin(), addresses.end(), address) == addresses.end())
                    addresses.push_back(std::move(address));
            }
        }
        ::freeaddrinfo(found);
        return addresses;
    };
}

void NetworkLine::open()
{
    if (isOpen())
        fail(engine::kPortAlreadyOpen, "COMM" + std::to_string(m_port) + ": this port is already open");
    // The settings mean nothing on the network, but a text a serial port would refuse is refused here too.
    if (!LineSettings::parse(m_settings))
        fail(engine::kUnsupportedBaud, "line settings \"" + m_settings + "\" are not understood");
    m_mode = Mode::Command;
}

void NetworkLine::close()
{
    endConnection();
    m_mode = Mode::Closed;
    m_commandLine.clear();
    m_arrived.clear();
    m_coming.clear();
}

void NetworkLine::requireOpen(std::string_view operation) const
{
    if (!isOpen())
        fail(engine::kPortNotOpen, "COMM" + std::to_string(m_port) + ": " + std::string(operation));
}

void NetworkLine::setDtr(bool on)
{
    requireOpen("DTR");
    // As a modem set up with AT&D2 does: DTR dropping ends the call and leaves it in command state.
    if (!on && m_mode != Mode::Command) {
        endConnection();
        m_mode = Mode::Command;
    }
}

void NetworkLine::write(std::string_view bytes)
{
    requireOpen("write");
    if (m_mode == Mode::Dialling) {
        // As on a modem, a character while the call is being made abandons it.
        endConnection();
        m_mode = Mode::Command;
        answer("NO CARRIER");
    }
    if (m_mode == Mode::Online) {
        // What came before this write has arrived; a discard after it may drop that, never the reply.
        receiveFromPeer();
    }
    if (m_mode == Mode::Online) {
        if (!bytes.starts_with("+++")) {
            sendToPeer(bytes);
            return;
        }
        m_mode = Mode::Escaped;
        answer("OK");
        bytes.remove_prefix(3);
    }
    onCommandBytes(bytes);
}

std::string NetworkLine::readAll()
{
    requireOpen("read");
    poll();
    return std::exchange(m_arrived, std::string());
}

int NetworkLine::waitingCount()
{
    requireOpen("waiting count");
    poll();
    return static_cast<int>(m_arrived.size());
}

void NetworkLine::discardInput()
{
    requireOpen("discard");
    m_arrived.clear();
}

void NetworkLine::poll()
{
    // An answer never shares a read with the traffic before it: a paging call that finds what it waits
    // for clears its buffer, and a "NO CARRIER" read together with the terminal's last reply would go
    // with it.
    if (m_arrived.empty())
        m_arrived = std::exchange(m_coming, std::string());
    if (m_mode == Mode::Dialling)
        advanceDial();
    else if (m_mode == Mode::Online)
        receiveFromPeer();
}

void NetworkLine::explain(const std::string& text)
{
    if (m_report)
        m_report(logSafe(text));
}

void NetworkLine::onCommandBytes(std::string_view bytes)
{
    for (const char byte : bytes) {
        if (byte == '\n')
            continue;
        if (byte == '\b' || byte == '\x7f') {
            if (!m_commandLine.empty())
                m_commandLine.pop_back();
        } else if (byte != '\r') {
            if (m_commandLine.size() < kCommandLimit)
                m_commandLine += byte;
        } else {
            onCommandLine(std::exchange(m_commandLine, std::string()));
        }
    }
}

void NetworkLine::onCommandLine(const std::string& line)
{
    // A modem looks for "AT" and ignores what came before it ("+++" sent in command state, for one).
    std::size_t at = 0;
    while (at + 1 < line.size() && !(upper(line[at]) == 'A' && upper(line[at + 1]) == 'T'))
        ++at;
    if (at + 1 >= line.size())
        return;
    const std::string_view command = std::string_view(line).substr(at + 2);

    bool hangUp = false;
    bool online = false;
    std::size_t i = 0;
    const auto skipDigits = [&] {
        while (i < command.size() && isDigit(command[i]))
            ++i;
    };
    while (i < command.size()) {
        const char c = upper(command[i++]);
        if (c == 'D') {
            dial(command.substr(i));
            return;
        }
        if (c == 'H' || c == 'Z') {
            hangUp = true;
        } else if (c == 'O') {
            online = true;
        } else if (c == '&' || c == '\\' || c == '%') {
            if (i < command.size())
                ++i;
        } else if (c == '+' || c == '#') {
            break; // extended commands: accepted as a whole
        } else if (c == 'S') {
            skipDigits();
            if (i < command.size() && (command[i] == '=' || command[i] == '?'))
                ++i;
        }
        skipDigits();
    }
    if (online) {
        const bool held = m_mode == Mode::Escaped;
        if (held)
            m_mode = Mode::Online;
        answer(held ? connectText(m_settings) : "NO CARRIER");
        return;
    }
    if (hangUp) {
        endConnection();
        m_mode = Mode::Command;
    }
    answer("OK");
}

void NetworkLine::dial(std::string_view dialString)
{
    endConnection();
    m_mode = Mode::Dialling;
    m_deadline = Clock::now() + m_connectLimit;
    m_dialNotes.clear();
    m_dialFailure.clear();

    dialString = trimBlanks(dialString);
    while (!dialString.empty() && (upper(dialString.front()) == 'T' || upper(dialString.front()) == 'P'))
        dialString = trimBlanks(dialString.substr(1));
    const std::string digits = digitsOf(dialString);

    const DialPlan plan = m_plans ? m_plans() : DialPlan {};
    for (const auto& bad : plan.badLines)
        m_dialNotes.push_back(
            "PORTS.DAT line " + std::to_string(bad.lineNumber) + " passed over (" + bad.reason + "): " + bad.text);
    const DialPlan::Entry* entry = plan.match(dialString);
    if (dialString.ends_with('#')) {
        // The numeric sender's tones after the answer: a network connection has no keypad. The sender
        // reads no answer, so only a failed write keeps the page from being logged as sent.
        m_mode = Mode::Command;
        throw engine::SerialError(engine::kDeviceBusy, std::string(kNoTouchTones));
    }
    if (digits.empty()) {
        m_dialFailure = "no number to dial";
    } else if (!entry) {
        m_dialFailure = "no DIAL line for " + digits;
    } else if (entry->protocol != DialPlan::Protocol::Tap) {
        m_dialNotes.push_back("dialling " + digits + " reaches " + entry->target() + " on the network");
        GatewayTarget target { entry->protocol == DialPlan::Protocol::Snpp ? engine::GatewayProtocol::Snpp
                                                                           : engine::GatewayProtocol::Wctp,
            entry->host, entry->port, entry->tls, entry->user, entry->secret, entry->postUrl, entry->target(),
            plan.caFile };
        try {
            m_gateway = openGatewayLink(target);
        } catch (const std::exception& error) {
            m_dialFailure = error.what();
        }
    } else {
        m_host = entry->host;
        m_target = entry->target();
        m_targetPort = entry->port;
        m_dialNotes.push_back("dialling " + digits + " reaches " + m_target + " on the network");
        if (numericAddress(m_host, m_targetPort)) {
            m_addresses = { m_host };
        } else {
            auto lookup = std::make_shared<Lookup>();
            try {
                // Detached: a name server that never answers holds only the thread, not the call.
                std::thread([lookup, resolver = m_resolver, host = m_host] {
                    std::string error;
                    auto addresses = resolver(host, error);
                    const std::lock_guard lock(lookup->mutex);
                    lookup->addresses = std::move(addresses);
                    lookup->error = std::move(error);
                    lookup->done = true;
                }).detach();
                m_lookup = std::move(lookup);
            } catch (const std::system_error& error) {
                m_dialFailure = "cannot look up " + m_host + " (" + error.what() + ")";
            }
        }
    }
}

void NetworkLine::advanceDial()
{
    for (const auto& note : std::exchange(m_dialNotes, {}))
        explain(note);
    if (!m_dialFailure.empty())
        return failDial(m_dialFailure);
    if (m_gateway)
        return connected(); // the gateway's own link connects when the call speaks to it
    if (m_lookup) {
        std::unique_lock lock(m_lookup->mutex);
        const bool done = m_lookup->done;
        auto addresses = std::move(m_lookup->addresses);
        const std::string error = m_lookup->error;
        lock.unlock();
        if (done && addresses.empty())
            return failDial("cannot find the address of " + m_host + " (" + error + ")");
        if (done) {
            m_addresses = std::move(addresses);
            m_lookup.reset();
        }
    }
    if (!m_lookup) {
        while (true) {
            if (m_socket >= 0) {
                pollfd writable { m_socket, POLLOUT, 0 };
                if (::poll(&writable, 1, 0) <= 0)
                    break;
                int error = 0;
                socklen_t length = sizeof error;
                if (::getsockopt(m_socket, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0)
                    return connected();
                m_lastError = error;
                ::close(m_socket);
                m_socket = -1;
            }
            if (!tryNextAddress())
                return failDial(connectFailure());
        }
    }
    if (Clock::now() >= m_deadline)
        failDial("no connection to " + m_target + " within " + durationText(m_connectLimit));
}

bool NetworkLine::tryNextAddress()
{
    while (m_nextAddress < m_addresses.size()) {
        const auto address = numericAddress(m_addresses[m_nextAddress++], m_targetPort);
        if (!address)
            continue;
        m_socket = ::socket(address->storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (m_socket < 0) {
            m_lastError = errno;
            continue;
        }
        if (::connect(m_socket, reinterpret_cast<const sockaddr*>(&address->storage), address->length) == 0
            || errno == EINPROGRESS)
            return true;
        m_lastError = errno;
        ::close(m_socket);
        m_socket = -1;
    }
    return false;
}

std::string NetworkLine::connectFailure() const
{
    if (m_lastError == ECONNREFUSED)
        return "connection refused by " + m_target;
    return "cannot connect to " + m_target + " (" + std::strerror(m_lastError) + ")";
}

void NetworkLine::connected()
{
    // Small writes (a lone CR) go out at once rather than waiting to be joined by more.
    const int on = 1;
    if (m_socket >= 0)
        ::setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    m_mode = Mode::Online;
    m_lookup.reset();
    m_arrived += "\r\n" + connectText(m_settings) + "\r\n";
}

void NetworkLine::failDial(const std::string& why)
{
    explain(why);
    endConnection();
    m_mode = Mode::Command;
    m_arrived += "\r\nNO CARRIER\r\n";
}

void NetworkLine::receiveFromPeer()
{
    if (m_socket < 0)
        return; // a gateway's link is the call's, not the line's
    // At most a read's worth waits here; the rest stays in the connection, whose window then holds the far end
    // back. A peer that never stops sending can neither fill the memory nor keep the caller in this loop.
    char buffer[4096];
    while (m_arrived.size() < engine::kReadLimit) {
        const auto room = std::min(sizeof buffer, engine::kReadLimit - m_arrived.size());
        const auto length = ::recv(m_socket, buffer, room, MSG_DONTWAIT);
        if (length > 0) {
            m_arrived.append(buffer, static_cast<std::size_t>(length));
            continue;
        }
        if (length < 0 && errno == EINTR)
            continue;
        if (length == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            carrierLost();
        return;
    }
}

void NetworkLine::sendToPeer(std::string_view bytes)
{
    if (m_socket < 0)
        return;
    auto lastProgress = Clock::now();
    while (!bytes.empty()) {
        const auto sent = ::send(m_socket, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            lastProgress = Clock::now();
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        const auto stalled = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastProgress);
        if ((sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) || stalled >= kWriteStallLimit) {
            // A far end that is gone, or that stopped reading for good, is a lost carrier.
            carrierLost();
            return;
        }
        pollfd room { m_socket, POLLOUT, 0 };
        ::poll(&room, 1, static_cast<int>((kWriteStallLimit - stalled).count()));
    }
}

void NetworkLine::carrierLost()
{
    endConnection();
    m_mode = Mode::Command;
    answer("NO CARRIER");
}

void NetworkLine::endConnection()
{
    if (m_socket >= 0)
        ::close(m_socket);
    m_socket = -1;
    m_gateway.reset();
    m_lookup.reset();
    m_addresses.clear();
    m_nextAddress = 0;
    m_lastError = 0;
}

std::string logSafe(std::string_view text)
{
    std::string safe;
    for (const char c : text)
        safe += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : (c == '[' ? '(' : c);
    static constexpr std::array<std::string_view, 8> kAnswers { "OK", "ERROR", "CONNECT", "NO CARRIER", "NO DIAL",
        "BUSY", "NO ANSWER", "ID=" };
    for (const auto word : kAnswers) {
        for (auto at = safe.find(word); at != std::string::npos; at = safe.find(word, at + 1)) {
            for (std::size_t i = at; i < at + word.size(); ++i)
                safe[i] = (safe[i] >= 'A' && safe[i] <= 'Z') ? static_cast<char>(safe[i] - 'A' + 'a') : safe[i];
        }
    }
    return safe;
}

} // namespace tolvane::platform
