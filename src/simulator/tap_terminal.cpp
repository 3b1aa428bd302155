#include "simulator/tap_terminal.h"

#include "simulator/tap_checksum.h"

#include <algorithm>

namespace tolvane::simulator {

namespace {

constexpr char STX = '\x02';
constexpr char ETX = '\x03';
constexpr char EOT = '\x04';
constexpr char CR = '\r';
constexpr char LF = '\n';
constexpr char ESC = '\x1b';
constexpr char ETB = '\x17';
constexpr char SUB = '\x1a';
constexpr char US = '\x1f';

const std::string kAck = "\x06\r";
const std::string kNak = "\x15\r";
const std::string kRs = "\x1e\r";
const std::string kDisconnect = "\x1b\x04\r";
const std::string kGoAhead = "\x1b[p\r";

// Longest text the terminal buffers while it looks for the end of a line or block; beyond it the input is garbage.
// A block is allowed far more than its 250 characters, so that an overlong one is still answered 517 when it ends.
constexpr std::size_t kLineLimit = 512;
constexpr std::size_t kBlockLimit = 8192;
// A terminal hangs up a moment after its last word, not in the same instant.
constexpr Millis kHangUpPause { 100 };

std::vector<std::string> splitFields(std::string_view text)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (true) {
        const auto cr = text.find(CR, start);
        pieces.emplace_back(text.substr(start, cr == std::string_view::npos ? std::string_view::npos : cr - start));
        if (cr == std::string_view::npos)
            return pieces;
        start = cr + 1;
    }
}

// Undoes the transparency of TAP 1.6 (SUB followed by the control character + 0x40) and trims trailing blanks.
std::string finishedField(std::string_view raw)
{
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const auto next = i + 1 < raw.size() ? static_cast<unsigned char>(raw[i + 1]) : 0u;
        if (raw[i] == SUB && next >= 0x40 && next <= 0x5F) {
            out += static_cast<char>(next - 0x40);
            ++i;
        } else {
            out += raw[i];
        }
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

struct Assembled {
    std::vector<std::string> fields;
    bool lastFieldOpen = false;
    bool wellFormed = true;
};

// Adds one block's data to the fields received so far. ETX and ETB blocks end their last field with CR; a US block
// leaves its last field open for the next block.
Assembled withBlock(const std::vector<std::string>& fields, bool lastFieldOpen, std::string_view body, char end)
{
    Assembled out { fields, false, true };
    std::string_view data = body;
    if (end != US) {
        if (data.empty() || data.back() != CR) {
            out.wellFormed = false;
            return out;
        }
        data.remove_suffix(1);
    }
    auto pieces = splitFields(data);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i == 0 && lastFieldOpen && !out.fields.empty())
            out.fields.back() += pieces[i];
        else
            out.fields.push_back(std::move(pieces[i]));
    }
    out.lastFieldOpen = end == US;
    return out;
}

} // namespace

TapTerminal::TapTerminal(const SimulatorOptions& options, TapTerminalLine& line)
    : m_options(options)
    , m_line(line)
{
}

void TapTerminal::startCall()
{
    m_phase = Phase::AwaitLogon;
    m_lineBuffer.clear();
    m_promptSent = false;
    m_badLogons = 0;
    m_checksumErrorRun = 0;
    m_password.clear();
    m_block.clear();
    m_blockEnded = false;
    m_fields.clear();
    m_lastFieldOpen = false;
    m_transactionChecksumOk = true;
}

ScriptedReply TapTerminal::nextScripted(const std::vector<ScriptedReply>& script, std::size_t& index)
{
    if (index >= script.size())
        return ScriptedReply::Auto;
    return script[index++];
}

void TapTerminal::receive(char byte)
{
    switch (m_phase) {
    case Phase::Closing:
        return;
    case Phase::InBlock:
        onBlockByte(byte);
        return;
    case Phase::AwaitBlock:
        if (byte == STX) {
            m_lineBuffer.clear();
            m_block.assign(1, STX);
            m_blockEnded = false;
            m_phase = Phase::InBlock;
            return;
        }
        [[fallthrough]];
    case Phase::AwaitLogon:
        if (byte == LF)
            return;
        if (byte != CR) {
            if (m_lineBuffer.size() < kLineLimit)
                m_lineBuffer += byte;
            return;
        }
        {
            const std::string line = std::move(m_lineBuffer);
            m_lineBuffer.clear();
            if (m_phase == Phase::AwaitLogon)
                onLogonLine(line);
            else
                onBetweenBlocksLine(line);
        }
        return;
    }
}

void TapTerminal::onLogonLine(const std::string& line)
{
    if (m_promptSent && line == std::string(1, EOT)) {
        signOff();
        return;
    }
    if (!m_promptSent || line.empty() || line[0] != ESC) {
        // A CR (or anything that is not a log-on) wakes the terminal, which asks for the log-on.
        m_promptSent = true;
        m_line.sendToCaller("ID=", m_options.replyDelay);
        return;
    }
    const std::string body = line.substr(1);
    const std::string password = body.size() > 3 ? body.substr(3) : std::string();
    switch (nextScripted(m_options.logonScript, m_logonScriptIndex)) {
    case ScriptedReply::Ack:
        acceptLogon(password);
        return;
    case ScriptedReply::Nak:
        m_line.sendToCaller(kNak, m_options.replyDelay);
        return;
    case ScriptedReply::Rs:
    case ScriptedReply::TryLater:
        m_line.sendToCaller(kRs, m_options.replyDelay);
        return;
    case ScriptedReply::Eot:
        hangUpWith(kDisconnect, m_options.replyDelay);
        return;
    case ScriptedReply::None:
        m_line.note("log-on left unanswered");
        return;
    case ScriptedReply::Drop:
        m_phase = Phase::Closing;
        m_line.dropCarrier(m_options.replyDelay);
        return;
    case ScriptedReply::Auto:
        break;
    }
    const auto isLetter = [](char c) { return c >= 'A' && c <= 'Z'; };
    if (body.size() < 3 || !isLetter(body[0]) || !isLetter(body[1]) || body[2] < '0' || body[2] > '9')
        refuseLogon("507 Invalid logon, badly formed\r");
    else if (body.compare(0, 3, "PG1") != 0)
        refuseLogon("508 Invalid logon, service not supported\r");
    else if (!m_options.password.empty() && password != m_options.password)
        refuseLogon("509 Invalid logon, invalid password\r");
    else
        acceptLogon(password);
}

void TapTerminal::acceptLogon(const std::string& password)
{
    m_password = password;
    m_phase = Phase::AwaitBlock;
    m_line.note("log-on accepted");
    m_line.sendToCaller(kAck + kGoAhead, m_options.replyDelay);
    if (m_options.dropAfterBlocks == 0 && !m_scheduledDropDone) {
        m_scheduledDropDone = true;
        m_phase = Phase::Closing;
        m_line.dropCarrier(m_options.replyDelay + kHangUpPause);
    }
}

void TapTerminal::refuseLogon(const std::string& messageLine)
{
    ++m_badLogons;
    m_line.note("log-on refused: " + messageLine.substr(0, messageLine.size() - 1));
    if (m_badLogons >= m_options.badLogonLimit)
        hangUpWith(messageLine + kDisconnect, m_options.replyDelay);
    else
        m_line.sendToCaller(messageLine + kNak, m_options.replyDelay);
}

void TapTerminal::onBetweenBlocksLine(const std::string& line)
{
    if (line == std::string(1, EOT)) {
        signOff();
        return;
    }
    if (line.empty())
        return;
    m_line.sendToCaller("502 Unexpected characters before a transaction\r", m_options.replyDelay);
}

void TapTerminal::onBlockByte(char byte)
{
    if (!m_blockEnded) {
        if (byte == STX) {
            // The caller gave up on a block and started again.
            m_block.assign(1, STX);
            return;
        }
        m_block += byte;
        m_blockEnded = byte == ETX || byte == ETB || byte == US;
    } else if (byte == CR) {
        const std::string block = std::move(m_block);
        m_block.clear();
        m_phase = Phase::AwaitBlock;
        onBlock(block);
        return;
    } else {
        m_block += byte;
    }
    if (m_block.size() > std::max<std::size_t>(kBlockLimit, static_cast<std::size_t>(m_options.maxBlockChars) * 2)) {
        m_line.note("block without an end discarded");
        m_block.clear();
        m_phase = Phase::AwaitBlock;
        m_line.sendToCaller(kNak, blockDelay());
    }
}

void TapTerminal::onBlock(const std::string& block)
{
    const auto end = block.find_first_of(std::string { ETX, ETB, US });
    const char endChar = block[end];
    const std::string body = block.substr(1, end - 1);
    const std::string received = block.substr(end + 1);
    const bool checksumOk = received == tapChecksum(std::string_view(block).substr(0, end + 1));
    const bool complete = endChar == ETX;
    const auto scripted = nextScripted(m_options.blockScript, m_blockScriptIndex);
    ++m_blocksAnswered;

    const auto assembled = withBlock(m_fields, m_lastFieldOpen, body, endChar);
    const auto keep = [&] {
        m_fields = assembled.fields;
        m_lastFieldOpen = assembled.lastFieldOpen;
        m_transactionChecksumOk = m_transactionChecksumOk && checksumOk;
    };
    const auto forget = [&] {
        m_fields.clear();
        m_lastFieldOpen = false;
        m_transactionChecksumOk = true;
    };
    // A page is recorded when the terminal takes it, and also when its checksum was wrong, since that may be the
    // sender's fault; pages refused for what they say are only in the transcript.
    const auto record = [&](const std::string& reply) {
        const bool intact = m_transactionChecksumOk && checksumOk;
        if (complete && (reply == "ACK" || !intact))
            recordTransaction(assembled.fields, intact, reply);
    };

    if (scripted != ScriptedReply::Auto) {
        m_line.note("block answered by the script: " + std::string(scriptedReplyName(scripted)));
        record(std::string(scriptedReplyName(scripted)));
        switch (scripted) {
        case ScriptedReply::Ack:
            keep();
            if (complete)
                forget();
            finishBlockReply(kAck);
            return;
        case ScriptedReply::Nak:
            finishBlockReply(kNak);
            return;
        case ScriptedReply::Rs:
            forget();
            finishBlockReply(kRs);
            return;
        case ScriptedReply::TryLater:
            forget();
            finishBlockReply("512 Temporarily cannot deliver\r" + kRs);
            return;
        case ScriptedReply::Eot:
            hangUpWith(kDisconnect, blockDelay());
            return;
        case ScriptedReply::Drop:
            m_phase = Phase::Closing;
            m_line.dropCarrier(blockDelay());
            return;
        case ScriptedReply::None:
        case ScriptedReply::Auto:
            finishBlockReply({});
            return;
        }
    }

    if (!checksumOk) {
        record("NAK");
        ++m_checksumErrorRun;
        m_line.note("checksum error: received \"" + received + "\", expected \"" + tapChecksum(block.substr(0, end + 1))
            + "\"");
        if (m_checksumErrorRun >= m_options.checksumErrorLimit)
            hangUpWith("503 Excessive checksum errors\r" + kDisconnect, blockDelay());
        else
            finishBlockReply(kNak);
        return;
    }
    m_checksumErrorRun = 0;

    if (static_cast<int>(body.size()) > m_options.maxBlockChars) {
        m_line.note("block of " + std::to_string(body.size()) + " data characters, more than "
            + std::to_string(m_options.maxBlockChars));
        record("RS");
        forget();
        finishBlockReply("517 Message too long, rejected\r" + kRs);
        return;
    }
    // A third field is wrong as soon as it starts, not only when the transaction ends.
    if (!assembled.wellFormed || assembled.fields.size() > 2 || (complete && assembled.fields.size() != 2)) {
        record("RS");
        forget();
        finishBlockReply("515 Message format error\r" + kRs);
        return;
    }
    if (!complete) {
        keep();
        finishBlockReply(kAck);
        return;
    }
    const std::string pagerId = finishedField(assembled.fields[0]);
    const bool legal = !pagerId.empty()
        && std::none_of(pagerId.begin(), pagerId.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (!legal) {
        record("RS");
        forget();
        finishBlockReply("510 Illegal pager ID\r" + kRs);
        return;
    }
    const auto& refused = m_options.refusedPagerIds;
    if (std::find(refused.begin(), refused.end(), pagerId) != refused.end()) {
        record("RS");
        forget();
        finishBlockReply("511 No subscriber for this pager ID\r" + kRs);
        return;
    }
    record("ACK");
    forget();
    finishBlockReply("211 Page(s) sent successfully\r" + kAck);
}

void TapTerminal::finishBlockReply(const std::string& bytes)
{
    if (!bytes.empty())
        m_line.sendToCaller(bytes, blockDelay());
    if (m_options.dropAfterBlocks && !m_scheduledDropDone && m_blocksAnswered >= *m_options.dropAfterBlocks) {
        m_scheduledDropDone = true;
        m_phase = Phase::Closing;
        m_line.note("dropping the carrier after " + std::to_string(m_blocksAnswered) + " blocks");
        m_line.dropCarrier(blockDelay() + kHangUpPause);
    }
}

void TapTerminal::recordTransaction(const std::vector<std::string>& fields, bool checksumOk, const std::string& reply)
{
    PageRecord page;
    page.kind = "tap";
    page.pagerId = fields.empty() ? std::string() : finishedField(fields[0]);
    for (std::size_t i = 1; i < fields.size(); ++i) {
        if (i > 1)
            page.message += CR;
        page.message += finishedField(fields[i]);
    }
    page.password = m_password;
    page.checksumOk = checksumOk;
    page.reply = reply;
    m_line.recordPage(std::move(page));
}

void TapTerminal::timeOut()
{
    if (m_phase == Phase::Closing)
        return;
    m_line.note("time-out waiting for the caller");
    hangUpWith("501 Time-out waiting for input\r" + kDisconnect, m_options.replyDelay);
}

void TapTerminal::signOff()
{
    m_line.note("sign-off");
    hangUpWith("115 Session ended, goodbye\r" + kDisconnect, m_options.replyDelay);
}

void TapTerminal::hangUpWith(std::string bytes, Millis delay)
{
    m_phase = Phase::Closing;
    m_line.sendToCaller(std::move(bytes), delay);
    m_line.dropCarrier(delay + kHangUpPause);
}

} // namespace tolvane::simulator
