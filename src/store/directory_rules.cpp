#include "store/directory_rules.h"

#include "store/text.h"

#include <algorithm>
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

std::string withoutDashes(std::string_view text)
{
    std::string out(text);
    std::erase(out, '-');
    return out;
}

// What is saved is what was shown: a text longer than its field is refused, never cut without a word.
std::string tooLong(std::string_view what, std::size_t width)
{
    return std::string(what) + " is longer than " + std::to_string(width) + " characters. Nothing was saved.";
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

// The leading number of a text the way a number box reads it: its characters with blanks dropped, up to the
// first that cannot continue "[+|-]digits[.digits][E[+|-]digits]".
struct LeadingNumber {
    std::string text;
    bool negative = false;
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
        number.any = true;
        number.text += chars[i++];
    }
    if (i < chars.size() && chars[i] == '.') {
        number.text += chars[i++];
        while (i < chars.size() && isDigit(chars[i])) {
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
        if (c != '-' && c != ' ')
            out += c;
    }
    return out;
}

UserResult userRecord(UserWrite write, const UserForm& form, const UserRecord& current)
{
    UserResult result;
    const std::string typedName = controlsAsBlanks(form.name);
    const std::string company = controlsAsBlanks(form.company);
    const std::string pagerId = cleanPagerId(form.pagerId);
    const bool numeric = isNumericName(company);
    const bool touchTone
        = std::all_of(pagerId.begin(), pagerId.end(), [](char c) { return isDigit(c) || c == '*' || c == '#'; });
    UserRecord& user = result.record;
    user.UserName = numeric ? withNumericPrefix(typedName) : typedName;
    user.PagerId = numeric ? std::string("0") : pagerId;
    user.PagingCompany = company;
    user.GroupFlags = write == UserWrite::Update ? current.GroupFlags : std::string("0000000000");
    const bool renamed = write == UserWrite::Save || fixedText(user.UserName, 25) != fixedText(current.UserName, 25);

    if (trim(typedName).empty())
        result.message = kUserNameEmpty;
    else if (controlsAsBlanks(pagerId) != pagerId)
        result.message = kPagerIdControl;
    else if (!numeric && pagerId.empty())
        result.message = kPagerIdEmpty;
    else if (numeric && !touchTone)
        result.message = kPagerIdTouchTone;
    else if (trim(company).empty())
        result.message = kUserCompanyEmpty;
    else if (renamed && typedName.find(':') != std::string::npos)
        result.message = kUserNameColon;
    else if (user.UserName.size() > 25)
        result.message = numeric ? tooLong("A numeric paging company's user name with \"DIG-\" in front", 25)
                                 : tooLong("The user name", 25);
    else if (pagerId.size() > 100)
        result.message = tooLong("The pager ID", 100);
    result.ok = result.message.empty();
    return result;
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

CompanyResult companyRecord(const CompanyForm& form, const TerminalRecord& lastShown)
{
    CompanyResult result;
    const std::string name = controlsAsBlanks(form.name);
    const std::string phone = controlsAsBlanks(form.phone);
    if (trim(name).empty()) {
        result.message = kCompanyNameEmpty;
        return result;
    }
    if (trim(phone).empty()) {
        result.message = kCompanyPhoneEmpty;
        return result;
    }
    const bool numeric = form.service != kServiceEntries[0];
    TerminalRecord& record = result.record;
    record.CompanyName = numeric ? withNumericPrefix(name) : name;
    if (record.CompanyName.size() > 25) {
        result.message = numeric ? tooLong("A numeric paging company's name with \"DIG-\" in front", 25)
                                 : tooLong("The paging company's name", 25);
        return result;
    }
    record.PhoneNumber = withoutDashes(phone);
    if (record.PhoneNumber.size() > 15) {
        result.message = tooLong("The phone number without its dashes", 15);
        return result;
    }
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
    record.Password = controlsAsBlanks(form.password);
    if (record.Password.size() > 12) {
        result.message = tooLong("The password", 12);
        return result;
    }
    result.ok = true;
    return result;
}

GroupResult groupRecord(std::string_view name, std::string_view comment)
{
    GroupResult result;
    result.record = GroupRecord { controlsAsBlanks(name), controlsAsBlanks(comment) };
    if (trim(result.record.GroupName).empty())
        result.message = kGroupNameEmpty;
    else if (result.record.GroupName.size() > 25)
        result.message = tooLong("The group name", 25);
    else if (result.record.Comment.size() > 25)
        result.message = tooLong("The comment", 25);
    result.ok = result.message.empty();
    return result;
}

std::string controlsAsBlanks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        // The five bytes Windows-1252 leaves undefined are C1 control characters on the way back out.
        const bool control = c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
        out += control ? ' ' : static_cast<char>(c);
    }
    return out;
}

} // namespace tolvane::store
