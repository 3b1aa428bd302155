#include "ui/directory/setup_window.h"

#include "ui/directory/companies_tab.h"
#include "ui/directory/groups_tab.h"
#include "ui/directory/users_tab.h"

#include "platform/dialog_service.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tolvane::ui {

SetupWindow::SetupWindow(const store::DataFolder& folder, platform::DialogService& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_folder(folder)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Setup"));
    setWindowTitle(QStringLiteral("Setup"));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("TabStrip1"));
    m_users = new UsersTab(folder, dialogs, m_tabs);
    m_companies = new CompaniesTab(folder, dialogs, m_tabs);
    m_groups = new GroupsTab(folder, dialogs, m_tabs);
    m_tabs->addTab(m_users, QStringLiteral("Users"));
    m_tabs->addTab(m_companies, QStringLiteral("Paging Companies"));
    m_tabs->addTab(m_groups, QStringLiteral("Groups"));
    for (DirectoryTab* tab : std::initializer_list<DirectoryTab*> { m_users, m_companies, m_groups })
        connect(tab, &DirectoryTab::changed, this, &SetupWindow::directoryChanged);
    connect(m_tabs, &QTabWidget::currentChanged, this, &SetupWindow::changeTab);

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &SetupWindow::closeWindow);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);
    resize(sizeHint().expandedTo(QSize(720, 420)));
}

void SetupWindow::closeWindow()
{
    close();
}

void SetupWindow::refresh()
{
    // A hidden window reads the files when it is shown again.
    if (!isVisible())
        return;
    auto* tab = qobject_cast<DirectoryTab*>(m_tabs->currentWidget());
    if (m_filledFolder != m_folder.sharedFolder())
        changeTab(m_tabs->currentIndex());
    else if (tab)
        tab->requestRefresh();
}

void SetupWindow::changeTab(int index)
{
    m_filledFolder = m_folder.sharedFolder();
    leaveAll();
    if (auto* tab = qobject_cast<DirectoryTab*>(m_tabs->widget(index)))
        tab->fill();
}

void SetupWindow::leaveAll()
{
    m_users->leave();
    m_companies->leave();
    m_groups->leave();
}

void SetupWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Minimising and restoring the window is not opening it again.
    if (event->spontaneous())
        return;
    if (!m_centred) {
        m_centred = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    changeTab(m_tabs->currentIndex());
}

void SetupWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        leaveAll();
}

void SetupWindow::closeEvent(QCloseEvent* event)
{
    const auto* tab = qobject_cast<const DirectoryTab*>(m_tabs->currentWidget());
    if (tab && tab->typing()
        && !m_dialogs.ask(QStringLiteral("Close Setup? What you typed on the %1 tab is not saved.")
                              .arg(m_tabs->tabText(m_tabs->currentIndex()).remove(QLatin1Char('&'))))) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

} // namespace tolvane::ui
