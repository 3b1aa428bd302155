#pragma once

#include "engine/gateway_link.h"

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tolvane::engine {

// The numbered failures of the serial line that the program acts on.
enum SerialErrorNumber : int {
    kInvalidPortNumber = 8002,
    kPortAlreadyOpen = 8005, // held by another program
    kUnsupportedBaud = 8007,
    kHardwareNotAvailable = 8010,
    kDeviceNotOpen = 8012,
    kDeviceAlreadyOpen = 8013,
    kPortNotOpen = 8018, // the operation needs an open port
    kDeviceBusy = 8019,
};

class SerialError : public std::runtime_error {
public:
    SerialError(int number, const std::string& description)
        : std::runtime_error(description)
        , m_number(number)
    {
    }
    int number() const { return m_number; }

private:
    int m_number;
};

// The most one read returns; the rest waits for the next read. A modem's or a terminal's reply is a few hundred
// bytes, and a line that floods must not fill the memory or hold the caller in one read.
inline constexpr std::size_t kReadLimit = 64 * 1024;

// The operations of the modem's serial line, and no more. Writes reach the line before they return:
// the engine often writes and then sleeps without reading.
class SerialLine {
public:
    virtual ~SerialLine() = default;

    virtual void setPortNumber(int port) = 0;
    virtual int portNumber() const = 0;
    // Baud, parity letter, data bits, stop bits: "9600,E,7,1". Applied at the next open.
    virtual void setSettings(const std::string& settings) = 0;

    virtual void open() = 0; // throws SerialError
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    virtual void setDtr(bool on) = 0;
    virtual void write(std::string_view bytes) = 0;
    // Everything waiting, up to kReadLimit bytes, removed from the line's buffer; empty when nothing waits.
    virtual std::string readAll() = 0;
    virtual int waitingCount() = 0;
    virtual void discardInput() = 0;

    // After a dial that "connected" to a paging gateway on the internet rather than a terminal: the
    // gateway, handed over once. Nothing for a modem or a TAP service.
    virtual std::unique_ptr<GatewayLink> takeGatewayLink() { return nullptr; }
};

} // namespace tolvane::engine
