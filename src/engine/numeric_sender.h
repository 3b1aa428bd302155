#pragma once

#include <string>

namespace tolvane::engine {

class CallContext;

// A numeric page: dial the company, wait a fixed 15 s, key the digits, log the page as sent, hang up.
// Nothing on the line is awaited. Sends exactly the entry at the queue cursor, marks it sent in its
// status column, and ends with the port closed. A dial line that cannot be written throws SerialError:
// the modem never got the page.
void sendDigitalPage(
    CallContext& call, const std::string& DialString, const std::string& CPageText, const std::string& CPageCompany);

// What goes to the modem: the dial string, four pauses, the digits without surrounding blanks, "#".
std::string numericDialLine(const std::string& dialString, const std::string& pageText);

} // namespace tolvane::engine
