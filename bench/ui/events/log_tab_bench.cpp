// The page log tab with a log of 100,000 lines: reading and showing it (loadLog, then the table drawn on
// screen with the last line selected, so the view must reach the end), and filtering it as the operator
// types a name and then clears the box.
#include "dispatch/paging_desk.h"
#include "platform/dialog_service.h"
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

// A program folder whose LOG.DAT holds 100,000 lines, and the log tab over it, shown.
struct LogOnScreen {
    testkit::DataFolderFixture data;
    testkit::RecordingView view;
    dispatch::SystemClock clock;
    dispatch::PagingDesk desk { data.folder(), view, clock };
    platform::ScriptedDialogService dialogs;
    ui::LogTab tab { desk, data.folder(), dialogs };

    LogOnScreen()
    {
        std::ofstream log(data.folder().programPath("LOG.DAT"), std::ios::binary);
        for (int i = 0; i < 100'000; ++i) {
            char name[26];
            std::snprintf(name, sizeof name, "%-25s", ("User " + std::to_string(i % 700)).c_str());
            log << "\"" << (i % 17 ? "PAGE SENT: " : "ERROR FOR: ") << name
                << "09:05 AM     12/06/202Server room temperature alarm, please check the cooling unit"
                << std::string(20, ' ') << "\"\r\n";
        }
        log.close();
        tab.resize(680, 400);
        tab.show();
    }
    QTableView* table() const { return tab.table()->view(); }
    int rows() const { return table()->model()->rowCount(); }
    void showLastLine() const
    {
        table()->setCurrentIndex(table()->model()->index(rows() - 1, 0));
        table()->scrollTo(table()->currentIndex());
        table()->viewport()->repaint();
        QCoreApplication::processEvents();
    }
};

void LoadAndShowAHundredThousandLogLines(benchmark::State& state)
{
    LogOnScreen log;
    for (auto _ : state) {
        log.tab.loadLog();
        log.showLastLine();
        benchmark::DoNotOptimize(log.rows());
    }
    state.counters["lines"] = log.rows();
}
BENCHMARK(LoadAndShowAHundredThousandLogLines)->Unit(benchmark::kMillisecond);

// Typing "user 69" letter by letter (each letter filters the whole log again), then clearing the box.
void FilterAHundredThousandLogLinesAsANameIsTyped(benchmark::State& state)
{
    LogOnScreen log;
    log.tab.loadLog();
    QLineEdit* filter = log.tab.table()->filterBox();
    const QString typed = QStringLiteral("user 69");
    int found = 0;
    for (auto _ : state) {
        for (qsizetype n = 1; n <= typed.size(); ++n) {
            filter->setText(typed.left(n));
            log.showLastLine();
        }
        found = log.rows();
        filter->clear();
        log.showLastLine();
    }
    state.counters["letters_typed"] = static_cast<double>(typed.size());
    state.counters["lines_found"] = found;
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
