// Paging calls in real time through the network line to the practice SNPP and WCTP gateways on 127.0.0.1:
// one call per iteration, its pages all for one company. Arguments: pages, and prompt (1) or standard (0)
// pacing. The goal for 100 pages to one WCTP company is under 2 s on a 2-core machine.
#include "engine/paging_call.h"
#include "platform/serial/posix_serial_line.h"
#include "simulator/snpp_server.h"
#include "simulator/wctp_server.h"
#include "testkit/data_folder_fixture.h"
#include "testkit/recording_view.h"
#include "testkit/vector_queue.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <thread>

using namespace tolvane;

namespace {

using testkit::DataFolderFixture;

class RealPacer : public engine::Pacer {
public:
    void sleepMs(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    void yield() override { }
    void pauseYielding(int ms) override { sleepMs(ms); }
};

template <class Gateway> void pageThroughGateway(benchmark::State& bench, const std::string& scheme)
{
    const int pages = static_cast<int>(bench.range(0));
    const auto pacing = bench.range(1) != 0 ? engine::Pacing::Prompt : engine::Pacing::Standard;
    simulator::SimulatorOptions options;
    options.replyDelay = std::chrono::milliseconds(0);
    Gateway gateway(options);
    gateway.start(0);
    DataFolderFixture data;
    data.config.CommPort = "COMM1";
    data.write();
    std::ofstream(data.path() / "PORTS.DAT")
        << "COMM1=network\nDIAL 5550142=" << scheme << "127.0.0.1:" << gateway.port() << "/wctp?sender=bench\n";
    platform::PosixSerialLine line(platform::PortMap::inProgramFolder(data.folder()), data.path());
    std::vector<std::string> entries;
    for (int i = 0; i < pages; ++i)
        entries.push_back(DataFolderFixture::entryFor(
            DataFolderFixture::user("User " + std::to_string(i), "55501" + std::to_string(10 + i), "Ravenpage"),
            "Page number " + std::to_string(i) + ": please call the front desk", 80));
    RealPacer pacer;
    for (auto _ : bench) {
        testkit::VectorQueue queue(entries);
        testkit::RecordingView view;
        engine::RunState state;
        engine::PagingCall call(line, pacer, view, queue, data.folder(), state, pacing);
        call.pageThePeople(static_cast<std::int16_t>(pages), 0);
        if (state.sentCount != pages)
            bench.SkipWithError(("sent " + std::to_string(state.sentCount) + ": " + view.connectionLog()).c_str());
    }
    bench.SetItemsProcessed(bench.iterations() * pages);
}

void BM_WctpQueue(benchmark::State& bench)
{
    pageThroughGateway<simulator::WctpServer>(bench, "wctp+http://");
}
void BM_SnppQueue(benchmark::State& bench)
{
    pageThroughGateway<simulator::SnppServer>(bench, "snpp://");
}

BENCHMARK(BM_WctpQueue)
    ->Args({ 1, 0 })
    ->Args({ 1, 1 })
    ->Args({ 100, 1 })
    ->Args({ 100, 0 })
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_SnppQueue)
    ->Args({ 1, 0 })
    ->Args({ 1, 1 })
    ->Args({ 100, 1 })
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

} // namespace

BENCHMARK_MAIN();
