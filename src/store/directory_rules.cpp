#include "store/directory_rules.h"

#include "store/text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tolvane::store {
namespace {

constexpr std::string_view kServiceEntries[] = { "Alphanumeric", "Numeric" };
constexpr std::string_view kBaudEntries[] = { "300", "1200", "2400", "4800", "9600", "14400", "19200" };
constexpr std::string_view kParityEntries[] = { "NONE", "EVEN", "ODD" };
constexpr std::string_view kDataEntries[] = { "7", "8" };
constexpr std::string_view kStopEntries[] = { "1", "2" };

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A name for a numeric company carries the prefix exactly once.
std::string withNumericPrefix(std::string_view name)
{
    return isNumericName(name) ? std::string(name) : std::string(kNumericPrefix).append(name);
}

// A whole number typed into a box, blanks around it allowed; -1 when the text is anything else. Values
// beyond what a 16-bit field holds come back as 32768 so that callers can cap or refuse them.
long wholeNumber(std::string_view text)
{
    const std::string digits = trim(text);
    if (digits.empty())
        return -1;
    long value = 0;
    for (const char c : digits) {
        if (!isDigit(c))
            return -1;
        value = std::min(value * 10 + (c - '0'), 32768L);
    }
    return value;
}

// The leading number of a text the way the update reads it: its characters with blanks dropped, up to the
// first that cannot continue "[+|-]digits[.digits][E[+|-]digits]".
struct LeadingNumber {
    std::string text;
    std::string wholeDigits;
    bool negative = false;
    bool plainWhole = true; // no fraction, no exponent
    bool any = false; // at least one digit before the exponent
};

LeadingNumber leadingNumber(std::string_view input)
{
    std::string chars;
    for (const char c : input) {
        if (c != ' ' && c != '\t' && c != '\n')
            chars += c;
    }
    LeadingNumber number;
    std::size_t i = 0;
    if (i < chars.size() && (chars[i] == '+' || chars[i] == '-')) {
        number.negative = chars[i] == '-';
        number.text += chars[i++];
    }
    while (i < chars.size() && isDigit(chars[i])) {
        number.wholeDigits += chars[i];
        number.text += chars[i++];
    }
    number.any = !number.wholeDigits.empty();
    if (i < chars.size() && chars[i] == '.') {
        number.text += chars[i++];
        while (i < chars.size() && isDigit(chars[i])) {
            number.plainWhole = false;
            number.any = true;
            number.text += chars[i++];
        }
    }
    if (number.any && i < chars.size() && (chars[i] == 'E' || chars[i] == 'e' || chars[i] == 'D' || chars[i] == 'd')) {
        std::size_t j = i + 1;
        std::string exponent = "E";
        if (j < chars.size() && (chars[j] == '+' || chars[j] == '-'))
            exponent += chars[j++];
        if (j < chars.size() && isDigit(chars[j])) {
            while (j < chars.size() && isDigit(chars[j]))
                exponent += chars[j++];
            number.text += exponent;
            number.plainWhole = false;
        }
    }
    return number;
}

} // namespace

std::string shownText(std::string_view field)
{
    const auto end = field.find_last_not_of(std::string_view(" \0", 2));
    return end == std::string_view::npos ? std::string() : std::string(field.substr(0, end + 1));
}

std::string cleanPagerId(std::string_view typed)
{
    std::string out;
    for (const char c : typed) {
        if (c != '-')
            out += c;
    }
    return out;
}

std::string pagerIdAsNumber(std::string_view pagerId)
{
    const LeadingNumber number = leadingNumber(pagerId);
    if (!number.any)
        return "0";
    if (number.plainWhole) {
        // Digit for digit: a long PIN must not come back rounded to fifteen digits.
        const auto first = number.wholeDigits.find_first_not_of('0');
        if (first == std::string::npos)
            return "0";
        return (number.negative ? "-" : "") + number.wholeDigits.substr(first);
    }
    const double value = std::strtod(number.text.c_str(), nullptr);
    if (value == 0)
        return "0";
    if (!std::isfinite(value))
        return std::string(pagerId);
    char text[40];
    std::snprintf(text, sizeof text, "%.15G", value);
    return text;
}

UserRecord newUserRecord(std::string_view name, std::string_view typedPagerId, std::string_view company)
{
    UserRecord user;
    const bool numeric = isNumericName(company);
    user.UserName = numeric ? withNumericPrefix(name) : std::string(name);
    user.PagerId = numeric ? std::string("0") : cleanPagerId(typedPagerId);
    user.PagingCompany = company;
    user.GroupFlags = "0000000000";
    return user;
}

UserRecord updatedUserRecord(
    const UserRecord& current, std::string_view name, std::string_view typedPagerId, std::string_view company)
{
    UserRecord user = newUserRecord(name, typedPagerId, company);
    if (!isNumericName(company))
        user.PagerId = pagerIdAsNumber(user.PagerId);
    user.GroupFlags = current.GroupFlags;
    return user;
}

std::span<const std::string_view> choiceEntries(CompanyChoice choice)
{
    switch (choice) {
    case CompanyChoice::Service:
        return kServiceEntries;
    case CompanyChoice::Baud:
        return kBaudEntries;
    case CompanyChoice::Parity:
        return kParityEntries;
    case CompanyChoice::DataBits:
        return kDataEntries;
    case CompanyChoice::StopBits:
        return kStopEntries;
    }
    return {};
}

bool warnsBeforeDropDown(CompanyChoice choice)
{
    return choice == CompanyChoice::Parity || choice == CompanyChoice::DataBits || choice == CompanyChoice::StopBits;
}

CompanyForm newCompanyForm()
{
    return CompanyForm { "", "", "80", "Alphanumeric", "19200", "EVEN", "7", "1", "" };
}

CompanyForm companyForm(const TerminalRecord& record)
{
    CompanyForm form;
    form.name = shownText(record.CompanyName);
    form.phone = shownText(record.PhoneNumber);
    form.maxChars = std::to_string(record.MaxChars);
    form.service = kServiceEntries[record.ServiceType == 1 ? 0 : 1];
    form.baud = std::to_string(record.Baud);
    if (record.Parity >= 1 && record.Parity <= 3)
        form.parity = kParityEntries[record.Parity - 1];
    form.dataBits = kDataEntries[record.DataBits == 1 ? 0 : 1];
    form.stopBits = kStopEntries[record.StopBits == 1 ? 0 : 1];
    form.password = shownText(record.Password);
    return form;
}

std::string cappedMaxChars(std::string_view text, bool* capped)
{
    // The box's own number: its leading digits, as far as they go.
    const LeadingNumber number = leadingNumber(text);
    const bool over = number.any && !number.negative && std::strtod(number.text.c_str(), nullptr) > kMaxCharsCap;
    if (capped)
        *capped = over;
    return over ? std::to_string(kMaxCharsCap) : std::string(text);
}

std::string phoneBoxText(std::string_view text)
{
    return rtrim(text).substr(0, kPhoneBoxLength);
}

CompanyResult companyRecord(CompanyWrite write, const CompanyForm& form, const TerminalRecord& lastShown)
{
    CompanyResult result;
    if (write == CompanyWrite::Save && trim(form.name).empty()) {
        result.message = kCompanyNameEmpty;
        return result;
    }
    if (write == CompanyWrite::Save && trim(form.phone).empty()) {
        result.message = kCompanyPhoneEmpty;
        return result;
    }
    const bool numeric = form.service != kServiceEntries[0];
    TerminalRecord& record = result.record;
    record.CompanyName = numeric ? withNumericPrefix(form.name) : form.name;
    record.PhoneNumber = cleanPagerId(form.phone);
    record.ServiceType = numeric ? 2 : 1;
    if (numeric) {
        record.MaxChars = kNumericMaxChars;
    } else {
        const long maxChars = wholeNumber(form.maxChars);
        if (maxChars < 0) {
            result.message = kMaxCharsNotANumber;
            return result;
        }
        record.MaxChars = static_cast<std::int16_t>(std::min<long>(maxChars, kMaxCharsCap));
    }
    const long baud = wholeNumber(form.baud);
    if (baud < 1 || baud > 32767) {
        result.message = kBaudNotANumber;
        return result;
    }
    record.Baud = static_cast<std::int16_t>(baud);
    record.Parity = lastShown.Parity;
    for (std::size_t i = 0; i < std::size(kParityEntries); ++i) {
        if (form.parity == kParityEntries[i])
            record.Parity = static_cast<std::int16_t>(i + 1);
    }
    record.DataBits = form.dataBits == kDataEntries[0] ? 1 : 2;
    record.StopBits = form.stopBits == kStopEntries[0] ? 1 : 2;
    record.Password = form.password;
    result.ok = true;
    return result;
}

} // namespace tolvane::store
