// The page log tab reading and showing a log of 100,000 lines: loadLog, then the list drawn on screen
// with the last line selected (the view must reach the end of the list).
#include "dispatch/paging_desk.h"
#include "platform/dialog_service.h"
#include "store/page_log.h"
#include "testkit/data_folder_fixture.h"
#include "testkit/recording_view.h"
#include "ui/events/log_tab.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListView>

#include <cstdio>
#include <fstream>

namespace {

using namespace tolvane;

void LoadAndShowAHundredThousandLogLines(benchmark::State& state)
{
    testkit::DataFolderFixture data;
    {
        std::ofstream log(data.folder().programPath("LOG.DAT"), std::ios::binary);
        for (int i = 0; i < 100'000; ++i) {
            char name[26];
            std::snprintf(name, sizeof name, "%-25s", ("User " + std::to_string(i % 700)).c_str());
            log << "\"" << (i % 17 ? "PAGE SENT: " : "ERROR FOR: ") << name
                << "09:05 AM     12/06/202Server room temperature alarm, please check the cooling unit"
                << std::string(20, ' ') << "\"\r\n";
        }
    }
    testkit::RecordingView view;
    dispatch::SystemClock clock;
    dispatch::PagingDesk desk(data.folder(), view, clock);
    platform::ScriptedDialogService dialogs;
    ui::LogTab tab(desk, data.folder(), dialogs);
    tab.resize(680, 400);
    tab.show();

    for (auto _ : state) {
        tab.loadLog();
        QListView* list = tab.list();
        list->setCurrentIndex(list->model()->index(list->model()->rowCount() - 1, 0));
        list->scrollTo(list->currentIndex());
        list->viewport()->repaint();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(list->model()->rowCount());
    }
    state.counters["lines"] = tab.list()->model()->rowCount();
}
BENCHMARK(LoadAndShowAHundredThousandLogLines)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // Draws off screen when there is no display.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
