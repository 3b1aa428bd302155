#include "store/records.h"

#include "store/text.h"

#include <stdexcept>

namespace tolvane::store {
namespace {

// Reads fields in order from a record's bytes; a short input reads as NUL bytes, like a record past the end.
class FieldReader {
public:
    FieldReader(std::string_view bytes, std::size_t length)
        : m_bytes(bytes.substr(0, length))
    {
        m_bytes.resize(length, '\0');
    }

    std::string text(std::size_t width)
    {
        std::string out = m_bytes.substr(m_pos, width);
        m_pos += width;
        return out;
    }

    std::int16_t number()
    {
        const auto low = static_cast<unsigned char>(m_bytes[m_pos]);
        const auto high = static_cast<unsigned char>(m_bytes[m_pos + 1]);
        m_pos += 2;
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8)));
    }

private:
    std::string m_bytes;
    std::size_t m_pos = 0;
};

class FieldWriter {
public:
    explicit FieldWriter(std::size_t length) { m_bytes.reserve(length); }

    FieldWriter& text(std::string_view value, std::size_t width)
    {
        m_bytes += fixedText(value, width);
        return *this;
    }

    FieldWriter& number(std::int16_t value)
    {
        const auto bits = static_cast<std::uint16_t>(value);
        m_bytes += static_cast<char>(bits & 0xFF);
        m_bytes += static_cast<char>(bits >> 8);
        return *this;
    }

    std::string take(std::size_t expected)
    {
        if (m_bytes.size() != expected)
            throw std::logic_error("record layout does not add up to its length");
        return std::move(m_bytes);
    }

private:
    std::string m_bytes;
};

} // namespace

std::string UserRecord::encode() const
{
    return FieldWriter(kLength)
        .text(UserName, 25)
        .text(PagerId, 100)
        .text(PagingCompany, 25)
        .text(GroupFlags, 10)
        .take(kLength);
}

UserRecord UserRecord::decode(std::string_view bytes)
{
    FieldReader r(bytes, kLength);
    UserRecord u;
    u.UserName = r.text(25);
    u.PagerId = r.text(100);
    u.PagingCompany = r.text(25);
    u.GroupFlags = r.text(10);
    return u;
}

std::string GroupRecord::encode() const
{
    return FieldWriter(kLength).text(GroupName, 25).text(Comment, 25).take(kLength);
}

GroupRecord GroupRecord::decode(std::string_view bytes)
{
    FieldReader r(bytes, kLength);
    GroupRecord g;
    g.GroupName = r.text(25);
    g.Comment = r.text(25);
    return g;
}

std::string TerminalRecord::encode() const
{
    return FieldWriter(kLength)
        .text(CompanyName, 25)
        .text(PhoneNumber, 15)
        .number(MaxChars)
        .number(ServiceType)
        .number(Baud)
        .number(Parity)
        .number(DataBits)
        .number(StopBits)
        .text(Password, 12)
        .take(kLength);
}

TerminalRecord TerminalRecord::decode(std::string_view bytes)
{
    FieldReader r(bytes, kLength);
    TerminalRecord t;
    t.CompanyName = r.text(25);
    t.PhoneNumber = r.text(15);
    t.MaxChars = r.number();
    t.ServiceType = r.number();
    t.Baud = r.number();
    t.Parity = r.number();
    t.DataBits = r.number();
    t.StopBits = r.number();
    t.Password = r.text(12);
    return t;
}

int ConfigRecord::portNumber() const
{
    if (CommPort.empty())
        return 0;
    const char last = CommPort.back();
    return last >= '0' && last <= '9' ? last - '0' : 0;
}

std::string ConfigRecord::encode() const
{
    return FieldWriter(kLength)
        .text(CommPort, 5)
        .text(DialPrefix, 10)
        .number(DialMethod)
        .number(RetryAttempts)
        .number(ModemIndex)
        .take(kLength);
}

ConfigRecord ConfigRecord::decode(std::string_view bytes)
{
    FieldReader r(bytes, kLength);
    ConfigRecord c;
    c.CommPort = r.text(5);
    c.DialPrefix = r.text(10);
    c.DialMethod = r.number();
    c.RetryAttempts = r.number();
    c.ModemIndex = r.number();
    return c;
}

std::string ModemRecord::encode() const
{
    return FieldWriter(kLength).text(ModemName, 50).text(ModemCommands, 50).number(Speaker).take(kLength);
}

ModemRecord ModemRecord::decode(std::string_view bytes)
{
    FieldReader r(bytes, kLength);
    ModemRecord m;
    m.ModemName = r.text(50);
    m.ModemCommands = r.text(50);
    m.Speaker = r.number();
    return m;
}

std::string AdvancedRecord::encode() const
{
    return FieldWriter(kLength)
        .text(ModemString300, 100)
        .text(ModemString1200, 100)
        .text(ModemString2400, 100)
        .text(ModemString9600, 100)
        .text(ModemString14400, 100)
        .text(ModemString19200, 100)
        .take(kLength);
}

AdvancedRecord AdvancedRecord::decode(std::string_view bytes)
{
    FieldReader r(bytes, kLength);
    AdvancedRecord a;
    a.ModemString300 = r.text(100);
    a.ModemString1200 = r.text(100);
    a.ModemString2400 = r.text(100);
    a.ModemString9600 = r.text(100);
    a.ModemString14400 = r.text(100);
    a.ModemString19200 = r.text(100);
    return a;
}

std::string SettingsRecord::encode() const
{
    return FieldWriter(kLength)
        .number(ClearSendList)
        .number(ClearMessage)
        .number(ClearQueue)
        .number(ShowConnectionWindow)
        .text(MessagePrefix, 20)
        .text(MessageSuffix, 20)
        .number(LargeIcons)
        .take(kLength);
}

SettingsRecord SettingsRecord::decode(std::string_view bytes)
{
    FieldReader r(bytes, kLength);
    SettingsRecord s;
    s.ClearSendList = r.number();
    s.ClearMessage = r.number();
    s.ClearQueue = r.number();
    s.ShowConnectionWindow = r.number();
    s.MessagePrefix = r.text(20);
    s.MessageSuffix = r.text(20);
    s.LargeIcons = r.number();
    return s;
}

std::string CannedRecord::encode() const
{
    return FieldWriter(kLength).text(MessageText, 80).take(kLength);
}

CannedRecord CannedRecord::decode(std::string_view bytes)
{
    FieldReader r(bytes, kLength);
    CannedRecord c;
    c.MessageText = r.text(80);
    return c;
}

} // namespace tolvane::store
