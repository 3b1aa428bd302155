#include "ui/events/events_window.h"

#include "dispatch/paging_desk.h"
#include "ui/events/log_tab.h"
#include "ui/events/queue_tab.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace tolvane::ui {

EventsWindow::EventsWindow(
    dispatch::PagingDesk& desk, const store::DataFolder& folder, platform::DialogService& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_desk(desk)
{
    setObjectName(QStringLiteral("Events"));
    setWindowTitle(QStringLiteral("Events"));

    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("TabStrip1"));
    m_tabs->setExpanding(false);
    for (const auto& [caption, key] : { std::pair { "Current Events", "Current" },
             std::pair { "Scheduled Events", "Scheduled" }, std::pair { "Logged Events", "Logged" } }) {
        const int index = m_tabs->addTab(QString::fromLatin1(caption));
        m_tabs->setTabData(index, QString::fromLatin1(key));
    }

    m_queueTab = new QueueTab(desk, dialogs, this);
    m_logTab = new LogTab(desk, folder, dialogs, this);
    m_frames = new QStackedWidget(this);
    m_frames->setFrameShape(QFrame::StyledPanel);
    m_frames->addWidget(m_queueTab);
    m_frames->addWidget(m_logTab);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->addWidget(m_tabs);
    layout->addWidget(m_frames, 1);

    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) { showTab(static_cast<Tab>(index)); });
    connect(m_queueTab, &QueueTab::closeRequested, this, &EventsWindow::closeWindow);
    connect(m_logTab, &LogTab::closeRequested, this, &EventsWindow::closeWindow);

    resize(900, 460);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    showTab(Current);
}

EventsWindow::Tab EventsWindow::currentTab() const
{
    return static_cast<Tab>(m_tabs->currentIndex());
}

void EventsWindow::showTab(Tab tab)
{
    if (m_tabs->currentIndex() != tab) {
        m_tabs->setCurrentIndex(tab); // comes back here through currentChanged
        return;
    }
    if (tab == Logged) {
        m_logTab->loadLog();
        m_frames->setCurrentWidget(m_logTab);
    } else {
        m_queueTab->showList(tab == Current ? dispatch::EventList::Queue : dispatch::EventList::Scheduled);
        m_frames->setCurrentWidget(m_queueTab);
    }
}

void EventsWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Pages logged since the log was last read show when the window comes back to the front. The queue
    // lists follow the desk all the time and keep what the operator selected and typed.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && currentTab() == Logged)
        m_logTab->loadLog();
}

void EventsWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (currentTab() == Logged)
        m_logTab->loadLog();
}

void EventsWindow::closeEvent(QCloseEvent* event)
{
    m_desk.refreshCounters();
    m_desk.updateToolbarButtons();
    event->accept(); // hidden, not deleted: the window is made once
}

void EventsWindow::closeWindow()
{
    close();
}

} // namespace tolvane::ui
