#include "dispatch/page_tries.h"

#include "store/word_table.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>

namespace tolvane::dispatch {
namespace {

using engine::OutcomeClass;
using engine::PageOutcome;

constexpr store::WordTable<OutcomeClass, 8> kClassFields { {
    { OutcomeClass::Delivered, "delivered" },
    { OutcomeClass::DeliveredTruncated, "truncated" },
    { OutcomeClass::DeliveredHeld, "held" },
    { OutcomeClass::RefusedForGood, "refused-for-good" },
    { OutcomeClass::RefusedForNow, "refused-for-now" },
    { OutcomeClass::SetUpWrong, "set-up-wrong" },
    { OutcomeClass::CallFailed, "call-failed" },
    { OutcomeClass::SessionEnded, "session-ended" },
} };

// A field value holds no blank, colon or control character: those, and '%' itself, are written %XX. The
// reason is cut first, so the value stays within what the file takes.
constexpr std::size_t kLongestReason = 80;

std::string escaped(std::string_view text)
{
    std::string out;
    for (const char c : text.substr(0, kLongestReason)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7f || c == ':' || c == '%') {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

std::string unescaped(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned value = 0;
        if (text[i] == '%' && i + 2 < text.size()
            && std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16).ptr == text.data() + i + 3) {
            out += static_cast<char>(value);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::optional<int> number(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string momentField(const Moment& moment)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d", moment.date.year, moment.date.month, moment.date.day,
        moment.minute / 60, moment.minute % 60);
    return text;
}

std::optional<Moment> momentFromField(std::string_view text)
{
    if (text.size() != 12)
        return std::nullopt;
    const auto part = [&](std::size_t at, std::size_t width) { return number(text.substr(at, width)); };
    const auto year = part(0, 4), month = part(4, 2), day = part(6, 2), hour = part(8, 2), minute = part(10, 2);
    if (!year || !month || !day || !hour || !minute || *hour > 23 || *minute > 59)
        return std::nullopt;
    const std::chrono::year_month_day date { std::chrono::year(*year),
        std::chrono::month(static_cast<unsigned>(*month)), std::chrono::day(static_cast<unsigned>(*day)) };
    if (!date.ok())
        return std::nullopt;
    return Moment { { *year, *month, *day }, *hour * 60 + *minute };
}

bool cancelled(const PageOutcome& outcome)
{
    return outcome == engine::callFailureOutcome(engine::CallFailure::Cancelled);
}

std::string reasonOf(const PageOutcome& outcome)
{
    const std::string said = outcome.said();
    if (outcome.kind == OutcomeClass::SetUpWrong)
        return "the paging company's set-up is wrong" + (said.empty() ? std::string() : ": " + said);
    return said.empty() ? std::string(engine::outcomeClassWords(outcome.kind)) : said;
}

} // namespace

RetryPolicy sensibleRetryPolicy(RetryPolicy policy)
{
    policy.tries = std::clamp(policy.tries, 2, kMostTries);
    policy.firstWaitMinutes = std::clamp(policy.firstWaitMinutes, 1, kLongestFirstWait);
    return policy;
}

Moment laterBy(Moment moment, long long minutes)
{
    using namespace std::chrono;
    const long long total = moment.minute + minutes;
    const long long dayShift = total >= 0 ? total / 1440 : -((-total + 1439) / 1440);
    const sys_days start = year_month_day { year(moment.date.year), month(static_cast<unsigned>(moment.date.month)),
        day(static_cast<unsigned>(moment.date.day)) };
    const year_month_day date { start + days(dayShift) };
    return { { static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
                 static_cast<int>(static_cast<unsigned>(date.day())) },
        static_cast<int>(total - dayShift * 1440) };
}

std::optional<Moment> momentNow(const Clock& clock)
{
    const auto date = clock.dateOf(clock.dateText());
    const auto minute = clock.minuteOfDay(clock.timeText());
    if (!date || !minute)
        return std::nullopt;
    return Moment { *date, *minute };
}

TryVerdict settleTry(PageTries& tries, const PageOutcome& outcome, const RetryPolicy& policy, Moment now)
{
    tries.last = outcome;
    tries.next.reset();
    tries.gaveUp = false;
    if (outcome.delivered()) {
        tries.made = 0;
        return TryVerdict::Delivered;
    }
    if (!policy.on || cancelled(outcome))
        return TryVerdict::Waits;
    if (outcome.kind == OutcomeClass::RefusedForGood)
        return TryVerdict::Dropped;
    ++tries.made;
    // The same log-on would be refused again: the company's settings need the operator first.
    if (outcome.kind == OutcomeClass::SetUpWrong || tries.made >= policy.tries) {
        tries.gaveUp = true;
        return TryVerdict::GaveUp;
    }
    const int doublings = std::min(tries.made - 1, 20);
    tries.next = laterBy(now, static_cast<long long>(policy.firstWaitMinutes) << doublings);
    return TryVerdict::TriedAgain;
}

void startTriesAgain(PageTries& tries)
{
    tries.made = 0;
    tries.next.reset();
    tries.gaveUp = false;
}

bool goesByItself(const PageTries& tries, const RetryPolicy& policy, Moment now)
{
    if (!policy.on)
        return true;
    if (tries.gaveUp)
        return false;
    if (tries.next)
        return *tries.next <= now;
    return !(tries.last && cancelled(*tries.last));
}

bool tryDue(const PageTries& tries, const RetryPolicy& policy, Moment now)
{
    return policy.on && !tries.gaveUp && tries.next && *tries.next <= now;
}

std::string triesStatus(const PageTries& tries, const RetryPolicy& policy, std::optional<CalendarDate> today)
{
    if (!tries.last)
        return {};
    const PageOutcome& last = *tries.last;
    if (last.delivered())
        return last.kind == OutcomeClass::Delivered ? std::string() : last.words();
    if (policy.on && tries.next && !tries.gaveUp) {
        const int coming = tries.made + 1;
        std::string at = formatTime12(tries.next->minute);
        if (!today || tries.next->date != *today)
            at += " " + formatShortDate(tries.next->date);
        return "Try " + std::to_string(coming) + " of " + std::to_string(std::max(policy.tries, coming)) + " at " + at
            + ": " + reasonOf(last);
    }
    if (tries.gaveUp)
        return "Not delivered: " + reasonOf(last);
    return last.words();
}

std::vector<std::pair<std::string, std::string>> triesFields(const PageTries& tries)
{
    std::vector<std::pair<std::string, std::string>> fields;
    if (tries.made > 0)
        fields.emplace_back("tries", std::to_string(tries.made));
    if (tries.next)
        fields.emplace_back("next", momentField(*tries.next));
    if (tries.gaveUp)
        fields.emplace_back("gaveup", "yes");
    if (tries.last) {
        if (const std::string_view word = store::wordOf(kClassFields, tries.last->kind); !word.empty())
            fields.emplace_back("outcome", std::string(word));
        if (!tries.last->code.empty())
            fields.emplace_back("code", escaped(tries.last->code));
        if (!tries.last->reason.empty())
            fields.emplace_back("reason", escaped(tries.last->reason));
    }
    return fields;
}

PageTries triesFromFields(std::vector<std::pair<std::string, std::string>>& fields)
{
    PageTries tries;
    PageOutcome last;
    bool hasOutcome = false;
    std::vector<std::pair<std::string, std::string>> others;
    for (auto& [name, value] : fields) {
        if (name == "tries") {
            tries.made = std::max(0, number(value).value_or(0));
        } else if (name == "next") {
            tries.next = momentFromField(value);
        } else if (name == "gaveup") {
            tries.gaveUp = value == "yes";
        } else if (name == "outcome") {
            if (const auto kind = store::valueOf(kClassFields, value)) {
                last.kind = *kind;
                hasOutcome = true;
            }
        } else if (name == "code") {
            last.code = unescaped(value);
        } else if (name == "reason") {
            last.reason = unescaped(value);
        } else {
            others.emplace_back(std::move(name), std::move(value));
        }
    }
    if (hasOutcome)
        tries.last = std::move(last);
    fields = std::move(others);
    return tries;
}

} // namespace tolvane::dispatch
