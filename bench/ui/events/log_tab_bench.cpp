// The page log tab with a log of 100,000 lines: reading and showing it (loadLog, then the table drawn on
// screen with the last line selected, so the view must reach the end), and filtering it as the operator
// types a name and then clears the box.
#include "dispatch/paging_desk.h"
#include "store/page_log.h"
#include "testkit/data_folder_fixture.h"
#include "testkit/recording_view.h"
#include "ui/events/filtered_table.h"
#include "ui/events/log_tab.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QTableView>

#include <cstdio>
#include <fstream>

namespace {

using namespace tolvane;

void writeLog(const testkit::DataFolderFixture& data)
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

void showLastLine(QTableView* view)
{
    view->setCurrentIndex(view->model()->index(view->model()->rowCount() - 1, 0));
    view->scrollTo(view->currentIndex());
    view->viewport()->repaint();
    QCoreApplication::processEvents();
}

void LoadAndShowAHundredThousandLogLines(benchmark::State& state)
{
    testkit::DataFolderFixture data;
    writeLog(data);
    testkit::RecordingView view;
    dispatch::SystemClock clock;
    dispatch::PagingDesk desk(data.folder(), view, clock);
    ui::LogTab tab(desk, data.folder());
    tab.resize(680, 400);
    tab.show();

    for (auto _ : state) {
        tab.loadLog();
        showLastLine(tab.table()->view());
        benchmark::DoNotOptimize(tab.table()->view()->model()->rowCount());
    }
    state.counters["lines"] = tab.table()->view()->model()->rowCount();
}
BENCHMARK(LoadAndShowAHundredThousandLogLines)->Unit(benchmark::kMillisecond);

// Typing "user 69" letter by letter (each letter filters the whole log again), then clearing the box.
void FilterAHundredThousandLogLinesAsANameIsTyped(benchmark::State& state)
{
    testkit::DataFolderFixture data;
    writeLog(data);
    testkit::RecordingView view;
    dispatch::SystemClock clock;
    dispatch::PagingDesk desk(data.folder(), view, clock);
    ui::LogTab tab(desk, data.folder());
    tab.resize(680, 400);
    tab.show();
    tab.loadLog();
    QLineEdit* filter = tab.table()->filterBox();
    int shown = 0;

    for (auto _ : state) {
        const QString typed = QStringLiteral("user 69");
        for (qsizetype n = 1; n <= typed.size(); ++n) {
            filter->setText(typed.left(n));
            showLastLine(tab.table()->view());
        }
        shown = tab.table()->view()->model()->rowCount();
        filter->clear();
        showLastLine(tab.table()->view());
    }
    state.counters["typed_letters"] = 7;
    state.counters["lines_found"] = shown;
}
BENCHMARK(FilterAHundredThousandLogLinesAsANameIsTyped)->Unit(benchmark::kMillisecond);

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
