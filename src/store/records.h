#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The fixed-length records of the data files, byte for byte. Text fields hold exactly their stored
// bytes (Windows-1252, blank padded, full width); encode() pads or cuts whatever a field holds.
// Numbers are signed little-endian 16-bit values; yes/no settings are -1 and 0.
namespace tolvane::store {

inline constexpr std::int16_t kYes = -1;
inline constexpr std::int16_t kNo = 0;

// A paging company whose name starts with this is a numeric (dial-the-digits) service, and users saved
// for it carry it before their names.
inline constexpr std::string_view kNumericPrefix = "DIG-";
inline bool isNumericName(std::string_view name)
{
    return name.starts_with(kNumericPrefix);
}

struct UserRecord {
    static constexpr std::size_t kLength = 160;
    static constexpr std::string_view kFileName = "USERS.DAT";

    std::string UserName; // 25
    std::string PagerId; // 100
    std::string PagingCompany; // 25
    std::string GroupFlags; // 10

    std::string encode() const;
    static UserRecord decode(std::string_view bytes);
    bool operator==(const UserRecord&) const = default;
};

struct GroupRecord {
    static constexpr std::size_t kLength = 50;
    static constexpr std::string_view kFileName = "GROUP.DAT";

    std::string GroupName; // 25
    std::string Comment; // 25

    std::string encode() const;
    static GroupRecord decode(std::string_view bytes);
    bool operator==(const GroupRecord&) const = default;
};

struct TerminalRecord {
    static constexpr std::size_t kLength = 64;
    static constexpr std::string_view kFileName = "TERMINAL.DAT";

    std::string CompanyName; // 25
    std::string PhoneNumber; // 15
    std::int16_t MaxChars = 0;
    std::int16_t ServiceType = 0; // 1 alphanumeric, anything else numeric
    std::int16_t Baud = 0;
    std::int16_t Parity = 0; // 1 N, 2 E, 3 O
    std::int16_t DataBits = 0; // 1 seven bits, anything else eight
    std::int16_t StopBits = 0; // 1 one stop bit, anything else two
    std::string Password; // 12

    std::string encode() const;
    static TerminalRecord decode(std::string_view bytes);
    bool operator==(const TerminalRecord&) const = default;
};

struct ConfigRecord {
    static constexpr std::size_t kLength = 21;
    static constexpr std::string_view kFileName = "CONFIG.DAT";

    std::string CommPort; // 5, "COMM1".."COMM4"
    std::string DialPrefix; // 10, "555" means none
    std::int16_t DialMethod = 0; // 1 tone
    std::int16_t RetryAttempts = 0;
    std::int16_t ModemIndex = 0;

    // The numeric value of CommPort's last character; 0 when it is not a digit.
    int portNumber() const;

    std::string encode() const;
    static ConfigRecord decode(std::string_view bytes);
    bool operator==(const ConfigRecord&) const = default;
};

struct ModemRecord {
    static constexpr std::size_t kLength = 102;
    static constexpr std::string_view kFileName = "MODEM.DAT";

    std::string ModemName; // 50
    std::string ModemCommands; // 50
    std::int16_t Speaker = 0;

    std::string encode() const;
    static ModemRecord decode(std::string_view bytes);
    bool operator==(const ModemRecord&) const = default;
};

struct AdvancedRecord {
    static constexpr std::size_t kLength = 600;
    static constexpr std::string_view kFileName = "ADVANCE.DAT";

    std::string ModemString300; // 100 each
    std::string ModemString1200;
    std::string ModemString2400;
    std::string ModemString9600;
    std::string ModemString14400;
    std::string ModemString19200;

    std::string encode() const;
    static AdvancedRecord decode(std::string_view bytes);
    bool operator==(const AdvancedRecord&) const = default;
};

struct SettingsRecord {
    static constexpr std::size_t kLength = 50;
    static constexpr std::string_view kFileName = "SETTINGS.DAT";

    std::int16_t ClearSendList = 0;
    std::int16_t ClearMessage = 0;
    std::int16_t ClearQueue = 0;
    std::int16_t ShowConnectionWindow = 0;
    std::string MessagePrefix; // 20
    std::string MessageSuffix; // 20
    std::int16_t LargeIcons = 0;

    std::string encode() const;
    static SettingsRecord decode(std::string_view bytes);
    bool operator==(const SettingsRecord&) const = default;
};

struct CannedRecord {
    static constexpr std::size_t kLength = 80;
    static constexpr std::string_view kFileName = "QUICK.DAT";

    std::string MessageText; // 80

    std::string encode() const;
    static CannedRecord decode(std::string_view bytes);
    bool operator==(const CannedRecord&) const = default;
};

} // namespace tolvane::store
