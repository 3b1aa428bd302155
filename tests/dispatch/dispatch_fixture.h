#pragma once

#include "dispatch/clock.h"
#include "dispatch/page_sender.h"
#include "dispatch/paging_desk.h"
#include "engine/page_queue.h"
#include "engine/paging_call.h"
#include "store/records.h"
#include "testkit/data_folder_fixture.h"
#include "testkit/fixed_clock.h"
#include "testkit/recording_view.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::dispatch::test {

using FakeClock = testkit::FixedClock;

// Stands in for the paging call: records each call and what the call queue held at that moment, and
// counts its pages sent unless told they were not delivered.
class CountingSender final : public PageSender {
public:
    struct Call {
        std::int16_t count;
        std::int16_t first;
        std::vector<std::string> queue;
        bool operator==(const Call&) const = default;
    };

    CountingSender(engine::PageQueue& queue, engine::RunState& state)
        : m_queue(queue)
        , m_state(state)
    {
    }

    void pageThePeople(std::int16_t count, std::int16_t first) override;

    std::vector<Call> calls;
    // Runs inside each call, after it was recorded: the place to act "while the call is running".
    std::function<void(int callIndex)> during;
    // Each page of a call counts as sent and is marked answered, as the paging call does for a page its
    // terminal accepted; false: none of them was delivered.
    bool delivers = true;
    // When set, what each page of a call comes to (by its entry), as its terminal answered; a page not delivered
    // is logged refused. `callEnd` instead ends every call before its first page, for that reason.
    std::function<engine::PageOutcome(const std::string& entry)> answer;
    std::optional<engine::PageOutcome> callEnd;

private:
    engine::PageQueue& m_queue;
    engine::RunState& m_state;
};

// Amberpage: Ann, Ben, Dana Whitlow. Bluepage: Cal, Bartholomew Fitzgeraldson. A numeric company: DIG-Ike.
// Two records for Fay, one with each lettered company. Dee and Eve's companies have no record and differ only
// after character 25 ("Northern Paging Company Ltd" and "... Limited").
void writeOffice(testkit::DataFolderFixture& data);

std::string pad(std::string_view text, std::size_t width);
// The row of a name (unpadded) in a user or group list as the desk shows it; throws when it is not there.
int rowOf(const std::vector<std::string>& list, std::string_view name);

// Queues the message for the users named (unpadded) as the operator would, then empties the recipients.
void queueFor(PagingDesk& desk, std::initializer_list<const char*> names, std::string_view message = "Hello");

// A desk on a throwaway data folder, with an empty GROUP.DAT beside the fixture's files.
struct DeskFixture {
    DeskFixture();

    // Adds the user or the group with this name (unpadded) as a double-click would.
    void addUser(std::string_view name);
    void addGroup(std::string_view name);

    testkit::DataFolderFixture data;
    testkit::RecordingView view;
    FakeClock clock;
    PagingDesk desk;
    CountingSender sender;
};

} // namespace tolvane::dispatch::test
