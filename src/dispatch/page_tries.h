#pragma once

#include "dispatch/clock.h"
#include "engine/page_outcome.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Failed pages tried again without the operator: how many tries, when the next is due, and what a page's
// status says meanwhile. Off unless the workstation chose it; the desk applies it after every call.
namespace tolvane::dispatch {

struct RetryPolicy {
    bool on = false;
    int tries = 3; // every try, the first included
    int firstWaitMinutes = 2; // the wait after the first try; it doubles after each further one
    bool operator==(const RetryPolicy&) const = default;
};

inline constexpr int kMostTries = 10;
inline constexpr int kLongestFirstWait = 120;
// Out-of-range numbers (a hand-edited settings file) brought within what the settings box offers.
RetryPolicy sensibleRetryPolicy(RetryPolicy policy);

// A moment on the clock to the minute.
struct Moment {
    CalendarDate date;
    int minute = 0; // of the day, 0..1439
    auto operator<=>(const Moment&) const = default;
};
Moment laterBy(Moment moment, long long minutes);
// The clock's own reading now; nothing when its texts do not read back.
std::optional<Moment> momentNow(const Clock& clock);

// What a page's tries have come to, kept with the page.
struct PageTries {
    int made = 0; // tries that failed since the operator last sent it
    std::optional<Moment> next; // when the next try is due
    bool gaveUp = false; // its last try failed: it waits for the operator
    std::optional<engine::PageOutcome> last; // what its last try came to
    bool operator==(const PageTries&) const = default;
};

// What became of a page's try, and what follows for it.
enum class TryVerdict {
    Delivered,
    Dropped, // refused for good with tries on: it leaves the queue (its "ERROR FOR: " line is in the log)
    Waits, // waits for the operator as ever: tries off, or a cancelled call
    TriedAgain, // `next` says when
    GaveUp,
};
TryVerdict settleTry(PageTries& tries, const engine::PageOutcome& outcome, const RetryPolicy& policy, Moment now);

// The operator sends the page: a fresh first try, whatever its tries came to.
void startTriesAgain(PageTries& tries);

// Whether a send nobody asked for (a due try, a scheduled page) may take the page with it: not before its
// next try, not after the last, not when its call was cancelled.
bool goesByItself(const PageTries& tries, const RetryPolicy& policy, Moment now);
bool tryDue(const PageTries& tries, const RetryPolicy& policy, Moment now);

// The status a page shows in words: "Try 2 of 3 at 10:42 PM: 512 Temporarily cannot deliver", "Not delivered:
// ..." or the last outcome's words; empty where the entry's own status column says it (a plain delivery, a page
// never tried). The date is added to the time when the try is not due today.
std::string triesStatus(const PageTries& tries, const RetryPolicy& policy, std::optional<CalendarDate> today);

// The tries as QUEUE.DAT fields ("tries", "next", "gaveup", "outcome", "code", "reason"), and back: the
// fields that are not the tries' are handed back as they were.
std::vector<std::pair<std::string, std::string>> triesFields(const PageTries& tries);
PageTries triesFromFields(std::vector<std::pair<std::string, std::string>>& fields);

} // namespace tolvane::dispatch
