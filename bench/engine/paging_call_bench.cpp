// Paging calls on virtual time against a scripted line. Besides the CPU time of the engine itself, each
// benchmark reports the virtual time the call spends.
//
// BM_TenPageCall: a 10-page call against a terminal that answers at once (1 ms), next to the sum of the
// pauses standard pacing must keep:
//   to the first block: 500 start-up + 250 after opening + 4000 before the modem + one 250 round for
//   OK + one 250 round for CONNECT + one 1500 log-on round + one 250 go-ahead round = 7000 ms;
//   between blocks: one 100 ms acknowledgment round each, 9 x 100 = 900 ms.
//
// BM_Pacing: the two pacings against a line that answers promptly: the modem and the terminal in 30 ms,
// the dial in 500 ms, the line dropped 100 ms after the terminal's goodbye, as a TAP terminal does.
// Arguments: prompt (0 standard, 1 prompt) and pages. It reports the call's start to every page
// delivered (the sign-off going out), to the port closed, and each further page of the call.
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

using testkit::DataFolderFixture;

constexpr int kPages = 10;
constexpr double kPrescribedToFirstBlock = 500 + 250 + 4000 + 250 + 250 + 1500 + 250;
constexpr double kPrescribedFirstToLast = (kPages - 1) * 100;

std::vector<std::string> entriesFor(int pages)
{
    std::vector<std::string> entries;
    for (int i = 0; i < pages; ++i)
        entries.push_back(DataFolderFixture::entryFor(
            DataFolderFixture::user("User " + std::to_string(i), "55501" + std::to_string(10 + i), "Ravenpage"),
            "Page number " + std::to_string(i) + ": please call the front desk", 80));
    return entries;
}

// One call on virtual time, its line answering as `times` says, over a fresh LOG.DAT.
struct VirtualCall {
    VirtualCall(DataFolderFixture& data, const std::vector<std::string>& entries, testkit::HappyTerminalTimes times,
        engine::Pacing pacing)
        : queue(entries)
        , call(line, pacer, view, queue, data.folder(), state, pacing)
    {
        store::clearLog(data.folder());
        testkit::addHappyTerminal(line, times);
    }

    // Sends every entry; the times of the blocks written, or none when a page went undelivered.
    std::vector<long long> run()
    {
        const auto pages = static_cast<std::int16_t>(queue.count());
        call.pageThePeople(pages, 0);
        std::vector<long long> blocks;
        for (const auto& w : line.writes())
            if (!w.bytes.empty() && w.bytes.front() == '\x02')
                blocks.push_back(w.atMs);
        if (static_cast<int>(blocks.size()) != pages || state.sentCount != pages || line.closes().empty())
            return {};
        return blocks;
    }

    testkit::VirtualClock clock;
    testkit::VirtualPacer pacer { clock };
    testkit::ScriptedLine line { clock };
    testkit::RecordingView view;
    testkit::VectorQueue queue;
    engine::RunState state;
    engine::PagingCall call;
};

void BM_TenPageCall(benchmark::State& bench)
{
    DataFolderFixture data;
    const auto entries = entriesFor(kPages);
    std::vector<long long> blocks;
    for (auto _ : bench) {
        bench.PauseTiming();
        VirtualCall call(data, entries, { 1, 1, 1, "CONNECT 9600" }, engine::Pacing::Standard);
        bench.ResumeTiming();
        blocks = call.run();
    }
    if (blocks.empty())
        return bench.SkipWithError("the call did not deliver every page");
    bench.counters["virtual_ms_to_first_block"] = static_cast<double>(blocks.front());
    bench.counters["prescribed_ms_to_first_block"] = kPrescribedToFirstBlock;
    bench.counters["virtual_ms_first_to_last_block"] = static_cast<double>(blocks.back() - blocks.front());
    bench.counters["prescribed_ms_first_to_last_block"] = kPrescribedFirstToLast;
}
BENCHMARK(BM_TenPageCall)->Unit(benchmark::kMicrosecond);

void BM_Pacing(benchmark::State& bench)
{
    DataFolderFixture data;
    const auto entries = entriesFor(static_cast<int>(bench.range(1)));
    const auto pacing = bench.range(0) == 1 ? engine::Pacing::Prompt : engine::Pacing::Standard;
    std::vector<long long> blocks;
    long long delivered = 0;
    long long closed = 0;
    for (auto _ : bench) {
        bench.PauseTiming();
        VirtualCall call(data, entries, { 30, 500, 30, "CONNECT 9600" }, pacing);
        call.line.setWriteHook([&call](std::string_view bytes) {
            if (bytes == "\x04\r")
                call.line.deliver("\r\nNO CARRIER\r\n", 130);
        });
        bench.ResumeTiming();
        blocks = call.run();
        for (const auto& w : call.line.writes())
            if (w.bytes == "\x04\r")
                delivered = w.atMs;
        closed = call.line.closes().empty() ? 0 : call.line.closes().back();
    }
    if (blocks.empty())
        return bench.SkipWithError("the call did not deliver every page");
    const auto further
        = blocks.size() > 1 ? (blocks.back() - blocks.front()) / static_cast<double>(blocks.size() - 1) : 0;
    bench.counters["virtual_ms_to_delivered"] = static_cast<double>(delivered);
    bench.counters["virtual_ms_to_port_closed"] = static_cast<double>(closed);
    bench.counters["virtual_ms_per_further_page"] = further;
}
BENCHMARK(BM_Pacing)
    ->ArgNames({ "prompt", "pages" })
    ->ArgsProduct({ { 0, 1 }, { 1, 10 } })
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
