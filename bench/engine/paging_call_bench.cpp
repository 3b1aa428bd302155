// A 10-page call on virtual time against a terminal that answers at once (1 ms). Besides the CPU time
// of the engine itself, it reports the virtual time the call spends before its first block and
// between its first and last blocks, next to the sum of the pauses the call must keep:
//   to the first block: 500 start-up + 250 after opening + 4000 before the modem + one 250 round for
//   OK + one 250 round for CONNECT + one 1500 log-on round + one 250 go-ahead round = 7000 ms;
//   between blocks: one 100 ms acknowledgment round each, 9 x 100 = 900 ms.
#include "engine/paging_call.h"
#include "store/page_log.h"
#include "testkit/data_folder_fixture.h"
#include "testkit/happy_terminal.h"
#include "testkit/recording_view.h"
#include "testkit/scripted_line.h"
#include "testkit/vector_queue.h"
#include "testkit/virtual_pacer.h"

#include <benchmark/benchmark.h>

using namespace tolvane;

namespace {

constexpr int kPages = 10;
constexpr double kPrescribedToFirstBlock = 500 + 250 + 4000 + 250 + 250 + 1500 + 250;
constexpr double kPrescribedFirstToLast = (kPages - 1) * 100;

void BM_TenPageCall(benchmark::State& bench)
{
    testkit::DataFolderFixture data;
    std::vector<std::string> entries;
    for (int i = 0; i < kPages; ++i)
        entries.push_back(
            testkit::DataFolderFixture::entryFor(testkit::DataFolderFixture::user("User " + std::to_string(i),
                                                     "55501" + std::to_string(10 + i), "Ravenpage"),
                "Page number " + std::to_string(i) + ": please call the front desk", 80));

    long long toFirst = 0;
    long long firstToLast = 0;
    for (auto _ : bench) {
        bench.PauseTiming();
        store::clearLog(data.folder());
        testkit::VirtualClock clock;
        testkit::VirtualPacer pacer(clock);
        testkit::ScriptedLine line(clock);
        testkit::addHappyTerminal(line, testkit::HappyTerminalTimes { 1, 1, 1, "CONNECT 9600" });
        testkit::RecordingView view;
        testkit::VectorQueue queue(entries);
        engine::RunState state;
        engine::PagingCall call(line, pacer, view, queue, data.folder(), state);
        bench.ResumeTiming();

        call.PageThePeople(kPages, 0);

        bench.PauseTiming();
        std::vector<long long> blocks;
        for (const auto& w : line.writes())
            if (!w.bytes.empty() && w.bytes.front() == '\x02')
                blocks.push_back(w.atMs);
        if (blocks.size() != kPages || state.sentCount != kPages)
            bench.SkipWithError("the call did not deliver every page");
        else {
            toFirst = blocks.front();
            firstToLast = blocks.back() - blocks.front();
        }
        bench.ResumeTiming();
    }
    bench.counters["virtual_ms_to_first_block"] = static_cast<double>(toFirst);
    bench.counters["prescribed_ms_to_first_block"] = kPrescribedToFirstBlock;
    bench.counters["virtual_ms_first_to_last_block"] = static_cast<double>(firstToLast);
    bench.counters["prescribed_ms_first_to_last_block"] = kPrescribedFirstToLast;
}
BENCHMARK(BM_TenPageCall)->Unit(benchmark::kMicrosecond);

// The two pacings against a line that answers promptly: the modem and the terminal in 30 ms, the dial in
// 500 ms, and the line dropped 100 ms after the terminal's goodbye, as a TAP terminal does. Arguments:
// pacing (0 standard, 1 prompt) and pages. On virtual time it reports the call's start to every page
// delivered (the sign-off going out), to the port closed, and each further page of the call.
void BM_Pacing(benchmark::State& bench)
{
    const auto pacing = bench.range(0) == 1 ? engine::Pacing::Prompt : engine::Pacing::Standard;
    const int pages = static_cast<int>(bench.range(1));
    testkit::DataFolderFixture data;
    std::vector<std::string> entries;
    for (int i = 0; i < pages; ++i)
        entries.push_back(testkit::DataFolderFixture::entryFor(
            testkit::DataFolderFixture::user("User " + std::to_string(i), "55501" + std::to_string(10 + i), "Ravenpage"),
            "Please call the front desk", 80));

    long long delivered = 0;
    long long closed = 0;
    double furtherPage = 0;
    for (auto _ : bench) {
        bench.PauseTiming();
        store::clearLog(data.folder());
        testkit::VirtualClock clock;
        testkit::VirtualPacer pacer(clock);
        testkit::ScriptedLine line(clock);
        testkit::addHappyTerminal(line, testkit::HappyTerminalTimes { 30, 500, 30, "CONNECT 9600" });
        line.setWriteHook([&line](std::string_view bytes) {
            if (bytes == "\x04\r")
                line.deliver("\r\nNO CARRIER\r\n", 130);
        });
        testkit::RecordingView view;
        testkit::VectorQueue queue(entries);
        engine::RunState state;
        engine::PagingCall call(line, pacer, view, queue, data.folder(), state, pacing);
        bench.ResumeTiming();

        call.PageThePeople(static_cast<std::int16_t>(pages), 0);

        bench.PauseTiming();
        std::vector<long long> blocks;
        for (const auto& w : line.writes()) {
            if (w.bytes.front() == '\x02')
                blocks.push_back(w.atMs);
            if (w.bytes == "\x04\r")
                delivered = w.atMs;
        }
        if (static_cast<int>(blocks.size()) != pages || state.sentCount != pages || line.closes().empty())
            bench.SkipWithError("the call did not deliver every page");
        else {
            closed = line.closes().back();
            furtherPage = pages > 1 ? static_cast<double>(blocks.back() - blocks.front()) / (pages - 1) : 0;
        }
        bench.ResumeTiming();
    }
    bench.counters["virtual_ms_to_delivered"] = static_cast<double>(delivered);
    bench.counters["virtual_ms_to_port_closed"] = static_cast<double>(closed);
    bench.counters["virtual_ms_per_further_page"] = furtherPage;
}
BENCHMARK(BM_Pacing)->ArgNames({ "prompt", "pages" })->ArgsProduct({ { 0, 1 }, { 1, 10 } })->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
