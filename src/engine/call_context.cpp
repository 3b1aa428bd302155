#include "engine/call_context.h"

#include "engine/hang_up.h"
#include "store/page_log.h"
#include "store/store_error.h"

namespace tolvane::engine {

std::string fieldText(std::string_view field)
{
    const auto end = field.find_last_not_of(std::string_view(" \0", 2));
    return end == std::string_view::npos ? std::string() : std::string(field.substr(0, end + 1));
}

void CallContext::write(std::string_view bytes)
{
    try {
        line.write(bytes);
    } catch (const SerialError&) {
    }
}

std::string CallContext::readAll()
{
    try {
        return line.readAll();
    } catch (const SerialError&) {
        return {};
    }
}

int CallContext::waitingCount()
{
    try {
        return line.waitingCount();
    } catch (const SerialError&) {
        return 0;
    }
}

void CallContext::discardInput()
{
    try {
        line.discardInput();
    } catch (const SerialError&) {
    }
}

void CallContext::setDtr(bool on)
{
    try {
        line.setDtr(on);
    } catch (const SerialError&) {
    }
}

void CallContext::closePort()
{
    try {
        line.close();
    } catch (const SerialError&) {
    }
}

bool CallContext::pull()
{
    // Checked before reading, so the bytes that reached the limit were scanned for the reply first.
    if (m_waitBytes >= kFloodLimit)
        throw LineFlooded(m_waitBytes);
    m_arrival = readAll();
    m_waitBytes += m_arrival.size();
    receiveBuffer += m_arrival;
    if (receiveBuffer.size() > kReceiveKeep)
        receiveBuffer.erase(0, receiveBuffer.size() - kReceiveKeep);
    return !m_arrival.empty();
}

void CallContext::logArrival()
{
    if (m_arrival.size() <= kLogArrivalCut)
        return log(m_arrival);
    log(m_arrival.substr(0, kLogArrivalCut) + " ... (" + std::to_string(m_arrival.size() - kLogArrivalCut)
        + " more bytes)");
}

void CallContext::writePageLog(const std::string& text)
{
    try {
        store::appendLogLine(folder, text);
    } catch (const store::StoreError& error) {
        const std::string shown = text.substr(0, text.find_last_not_of(" \r\n") + 1);
        view.appendWarning(
            "LOG.DAT could not be written (" + std::string(error.what()) + "), so it lacks this line: " + shown);
    }
}

void CallContext::carrierLost()
{
    log("Carrier was droped. Please try again.");
    view.messageBox("Carrier was droped");
    view.beep();
    closePort();
    status("Carrier was droped Message was not sent...");
}

void CallContext::cancelCall()
{
    setDtr(false);
    endCancelledCall(*this);
}

} // namespace tolvane::engine
