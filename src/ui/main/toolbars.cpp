#include "ui/main/toolbars.h"

#include "platform/workstation_settings.h"
#include "ui/main/command_table.h"
#include "ui/main/toolbar_customize_dialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QMainWindow>
#include <QScreen>
#include <QToolBar>

#include <algorithm>
#include <memory>

namespace tolvane::ui {
namespace {

// Where each toolbar's layout is kept: key, layout name, value name.
QString layoutName(bool large)
{
    return large ? QStringLiteral("MyToolbar2") : QStringLiteral("MyToolbar1");
}

QToolBar* makeToolbar(QMainWindow& window, const char* name, int iconSize)
{
    auto* toolbar = new QToolBar(QString::fromLatin1(name), &window);
    toolbar->setObjectName(QString::fromLatin1(name));
    toolbar->setIconSize(QSize(iconSize, iconSize));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    // Hiding a toolbar from a context menu would leave no way to show it again.
    toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    toolbar->toggleViewAction()->setVisible(false);
    window.addToolBar(Qt::TopToolBarArea, toolbar);
    return toolbar;
}

} // namespace

MainToolbars::MainToolbars(QMainWindow& window, std::function<QAction*(const QString& name)> actionNamed)
    : QObject(&window)
    , m_window(window)
    , m_actionNamed(std::move(actionNamed))
    , m_small(makeToolbar(window, "Toolbar1", 16))
    , m_large(makeToolbar(window, "Toolbar2", 32))
{
    setLayout(false, designToolbarLayout());
    setLayout(true, designToolbarLayout());
    showLarge(false);
}

void MainToolbars::showLarge(bool large)
{
    m_largeShown = large;
    m_small->setVisible(!large);
    m_large->setVisible(large);
    // Widen the window, as far as the screen allows, so that every button of the shown toolbar is seen.
    const int wanted = toolbar(large)->sizeHint().width();
    if (m_window.width() < wanted) {
        const QScreen* screen = m_window.screen();
        m_window.resize(screen ? std::min(wanted, screen->availableGeometry().width()) : wanted, m_window.height());
    }
    for (const CommandRow& row : commandTable()) {
        if (row.position > 0)
            m_actionNamed(QString::fromLatin1(row.name))
                ->setToolTip(QString::fromLatin1(large ? row.largeTip : row.smallTip));
    }
}

QStringList MainToolbars::layout(bool large) const
{
    QStringList keys;
    for (QAction* action : toolbar(large)->actions())
        keys << (action->isSeparator() ? QString::fromLatin1(kSeparatorKey) : action->data().toString());
    return keys;
}

void MainToolbars::setLayout(bool large, const QStringList& keys)
{
    QToolBar* bar = toolbar(large);
    bar->clear();
    QStringList placed;
    for (const QString& key : keys) {
        if (key == QLatin1String(kSeparatorKey)) {
            bar->addSeparator();
            continue;
        }
        // A key this program does not know (a layout saved by another version), or one already placed.
        const CommandRow* row = commandForKey(key);
        if (!row || placed.contains(key))
            continue;
        placed << key;
        QAction* action = m_actionNamed(QString::fromLatin1(row->name));
        action->setData(key);
        bar->addAction(action);
        // A button triggers its action before it reports the click, so the command has run by then.
        if (auto* button = qobject_cast<QAbstractButton*>(bar->widgetForAction(action)))
            connect(button, &QAbstractButton::clicked, this, &MainToolbars::buttonClicked);
    }
}

bool MainToolbars::restoreLayout(bool large)
{
    const std::optional<QString> saved = platform::storedToolbarLayout(layoutName(large));
    if (!saved)
        return false;
    setLayout(large, saved->isEmpty() ? QStringList() : saved->split(QLatin1Char(',')));
    return true;
}

void MainToolbars::saveLayout(bool large) const
{
    platform::storeToolbarLayout(layoutName(large), layout(large).join(QLatin1Char(',')));
}

void MainToolbars::restoreLayout()
{
    if (!restoreLayout(m_largeShown))
        saveLayout(m_largeShown);
}

ToolbarCustomizeDialog* MainToolbars::customize()
{
    if (m_dialog) {
        m_dialog->raise();
        m_dialog->activateWindow();
        return m_dialog;
    }
    const bool large = m_largeShown;
    std::vector<ToolbarCustomizeDialog::Button> buttons;
    for (const QString& key : designToolbarLayout()) {
        if (const CommandRow* row = commandForKey(key))
            buttons.push_back({ key, QString::fromLatin1(large ? row->largeDescription : row->smallDescription),
                m_actionNamed(QString::fromLatin1(row->name))->icon() });
    }
    m_dialog = new ToolbarCustomizeDialog(std::move(buttons), designToolbarLayout(), layout(large), &m_window);
    // Each change is the toolbar's change notification: apply it and save the layout.
    connect(m_dialog, &ToolbarCustomizeDialog::layoutChanged, this, [this, large](const QStringList& keys) {
        setLayout(large, keys);
        saveLayout(large);
    });
    m_dialog->show();
    return m_dialog;
}

} // namespace tolvane::ui
