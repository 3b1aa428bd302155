#pragma once

#include "store/data_folder.h"

#include <QWidget>

class QStackedWidget;
class QTabBar;

namespace tolvane::dispatch {
class PagingDesk;
}
namespace tolvane::platform {
class DialogService;
}

namespace tolvane::ui {

class LogTab;
class QueueTab;

// The Events window: the page queue, the scheduled pages and the page log, on the tabs "Current
// Events", "Scheduled Events" and "Logged Events". The lists are the desk's; the window only shows them
// and calls the desk's commands. Closing hides it: it is made once and shown again.
//
// Wiring in the program (the main window's "&Events" command, F7, toolbar key "Que"):
//     window.setCompanionWindow(MainWindow::Companion::Events,
//         [&] { return new EventsWindow(window.desk(), window.dataFolder(), dialogs, &window); });
class EventsWindow final : public QWidget {
    Q_OBJECT

public:
    enum Tab { Current = 0, Scheduled = 1, Logged = 2 };

    EventsWindow(dispatch::PagingDesk& desk, const store::DataFolder& folder, platform::DialogService& dialogs,
        QWidget* parent = nullptr);

    // The tab switch.
    void showTab(Tab tab);
    Tab currentTab() const;

    QueueTab* queueTab() const { return m_queueTab; }
    LogTab* logTab() const { return m_logTab; }

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // BOK, Command2, LBOK and the window's close box.
    void closeWindow();

    dispatch::PagingDesk& m_desk;
    QTabBar* m_tabs = nullptr;
    QStackedWidget* m_frames = nullptr;
    QueueTab* m_queueTab = nullptr;
    LogTab* m_logTab = nullptr;
};

} // namespace tolvane::ui
