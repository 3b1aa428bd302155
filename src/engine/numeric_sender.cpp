#include "engine/numeric_sender.h"

#include "engine/call_context.h"
#include "engine/queue_entry.h"
#include "engine/tap_block.h"
#include "store/text.h"

#include <cstdint>

namespace tolvane::engine {

std::string numericDialLine(const std::string& dialString, const std::string& pageText)
{
    // A CR or other control character in the message would end the dial command early and hand the
    // rest to the modem as a command of its own.
    return store::rtrim(dialString) + ",,,," + store::trim(blankControlCharacters(pageText)) + "#\r";
}

void sendDigitalPage(
    CallContext& call, const std::string& DialString, const std::string& CPageText, const std::string& CPageCompany)
{
    call.log("");
    call.queue.pageLeaving(call.state.queueCursor);
    // Not the forgiving write of the rest of the call: a dial line the modem never got is no page, and its
    // error ends the call before anything is logged or counted.
    call.line.write(numericDialLine(DialString, CPageText));
    call.pacer.yield();
    call.pacer.sleepMs(15000);
    call.progress("Dialing..." + CPageCompany);
    call.log(store::rtrim(DialString));

    // The page sent is the one at the cursor: that is the entry to mark, whatever else the run holds.
    const std::int16_t sentIndex = call.state.queueCursor;
    const std::string entry = call.queue.entry(sentIndex);
    const std::string logLine = pageLogLine("PAGE SENT: ", entry, call.state.messageLimit);
    call.state.sentCount = static_cast<std::int16_t>(call.state.sentCount + 1);
    call.state.runPageCounter = static_cast<std::int16_t>(call.state.runPageCounter + 1);
    call.state.queueCursor = static_cast<std::int16_t>(call.state.queueCursor + 1);
    // The line first: a page marked sent must have its line in the log, whenever the program may die.
    call.writePageLog(logLine + "\r\n");
    call.queue.pageAnswered(sentIndex, PageOutcome {});
    call.queue.replace(sentIndex, withStatus(entry, kStatusSent));
    call.log(store::trim(CPageCompany) + " SENT");
    call.pacer.sleepMs(2000);
    call.write(kHangUpLine);
    call.status("Message Sent...");
    call.lamp(Lamp::Green);
    call.view.hideConnectionWindow();
    call.closePort();
}

} // namespace tolvane::engine
