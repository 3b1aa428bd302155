#pragma once

#include "engine/paging_call.h"
#include "testkit/data_folder_fixture.h"
#include "testkit/happy_terminal.h"
#include "testkit/recording_view.h"
#include "testkit/scripted_line.h"
#include "testkit/vector_queue.h"
#include "testkit/virtual_pacer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

namespace tolvane::testing {

using testkit::DataFolderFixture;
using testkit::ScriptedLine;

// One paging call on virtual time against a scripted line, with a real throwaway data folder.
class CallFixture : public ::testing::Test {
protected:
    testkit::VirtualClock clock;
    testkit::VirtualPacer pacer { clock };
    ScriptedLine line { clock };
    testkit::RecordingView view;
    testkit::VectorQueue queue;
    DataFolderFixture data;
    engine::RunState state;
    engine::PagingCall call { line, pacer, view, queue, data.folder(), state };

    void queuePage(const std::string& message, const store::UserRecord& user)
    {
        queue.add(DataFolderFixture::entryFor(user, message, state.messageLimit));
    }
    void queuePage(const std::string& message) { queuePage(message, data.users.front()); }

    void run(std::int16_t count = 1, std::int16_t first = 0) { call.pageThePeople(count, first); }

    // Dana's page "abc" in a call of its own; the happy terminal answers what the test has not scripted.
    void callOnePage()
    {
        queuePage("abc");
        run();
    }
    void callOnePageWithHappyTerminal()
    {
        testkit::addHappyTerminal(line);
        callOnePage();
    }

    // Dana, Ezra Quill (77) and Mina Sol (88), all with Ravenpage, each paged "x".
    void queueThree()
    {
        data.users.push_back(DataFolderFixture::user("Ezra Quill", "77", "Ravenpage"));
        data.users.push_back(DataFolderFixture::user("Mina Sol", "88", "Ravenpage"));
        for (const auto& u : data.users)
            queuePage("x", u);
    }

    int hangUpLines() const { return line.countWritesEqualTo("+++ATH\r"); }
    int blocksWritten() const { return line.countWritesContaining("\x02"); }
    bool logged(const std::string& text) const { return view.countLogLines(text) > 0; }
    // Virtual time of the first write equal to `bytes`, or -1.
    long long timeOfWrite(const std::string& bytes, int nth = 0) const
    {
        for (const auto& w : line.writes())
            if (w.bytes == bytes && nth-- == 0)
                return w.atMs;
        return -1;
    }

    // The LOG.DAT record for Dana's page with this message, as the call writes it.
    static std::string logRecord(const std::string& start, const std::string& message, std::size_t limit = 80)
    {
        std::string column = message;
        column.resize(limit, ' ');
        return start + "Dana Whitlow             " + "09:05 AM     12/06/202" + column;
    }
};

inline constexpr engine::Pacing kBothPacings[] = { engine::Pacing::Standard, engine::Pacing::Prompt };
inline constexpr auto pacingTestName = [](const auto& info) { return std::string(engine::pacingName(info.param)); };

// A call fixture run under each pacing: whatever a test checks must hold under both.
class PacedCallFixture : public CallFixture, public ::testing::WithParamInterface<engine::Pacing> {
protected:
    PacedCallFixture() { call.setPacing(GetParam()); }
    bool prompt() const { return GetParam() == engine::Pacing::Prompt; }
};

// A table whose rows each run under both pacings: one table, the same outcomes.
template <class Row>
class PacedTable : public CallFixture, public ::testing::WithParamInterface<std::tuple<Row, engine::Pacing>> {
protected:
    PacedTable() { call.setPacing(std::get<1>(this->GetParam())); }
    const Row& row() const { return std::get<0>(this->GetParam()); }
};
template <class Row> auto underBothPacings(const std::vector<Row>& rows)
{
    return ::testing::Combine(::testing::ValuesIn(rows), ::testing::ValuesIn(kBothPacings));
}
inline constexpr auto pacedRowName = [](const auto& info) {
    return std::string(std::get<0>(info.param).name) + "_" + std::string(engine::pacingName(std::get<1>(info.param)));
};

} // namespace tolvane::testing
