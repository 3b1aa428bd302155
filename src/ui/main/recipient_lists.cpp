#include "ui/main/recipient_lists.h"

#include "dispatch/paging_desk.h"
#include "platform/text_bridge.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace tolvane::ui {
namespace {

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QToolButton* makeArrow(QWidget* parent, const char* name, Qt::ArrowType arrow, const QString& tip)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setArrowType(arrow);
    button->setToolTip(tip);
    button->setMinimumSize(32, 32);
    return button;
}

void select(QListWidget* list, int row)
{
    const QSignalBlocker blocker(list);
    if (row >= 0 && row < list->count()) {
        list->setCurrentRow(row);
    } else {
        list->clearSelection();
        list->setCurrentRow(-1);
    }
}

} // namespace

RecipientLists::RecipientLists(dispatch::PagingDesk& desk, QWidget* parent)
    : QWidget(parent)
    , m_desk(desk)
{
    QLayout* directory = buildDirectory();

    auto* arrows = new QVBoxLayout;
    QToolButton* add
        = makeArrow(this, "Image1", Qt::RightArrow, QStringLiteral("Add the selected user or group to the recipients"));
    QToolButton* remove = makeArrow(this, "Image2", Qt::LeftArrow, QStringLiteral("Remove the selected recipient"));
    connect(add, &QToolButton::clicked, this, &RecipientLists::addSelected);
    connect(remove, &QToolButton::clicked, this, &RecipientLists::removeSelected);
    arrows->addStretch();
    arrows->addWidget(add);
    arrows->addWidget(remove);
    arrows->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(directory, 1);
    layout->addLayout(arrows);
    layout->addLayout(buildRecipients(findChild<QPushButton*>(QStringLiteral("Command1"))->sizeHint().height()), 1);

    // A click selects (the desk's selection handling), a double-click or Enter adds.
    using Desk = dispatch::PagingDesk;
    auto forward = [this](QListWidget* list, void (Desk::*select)(int), void (Desk::*addItem)(int)) {
        connect(list, &QListWidget::currentRowChanged, this, [this, select](int row) {
            if (!m_syncing && row >= 0)
                (m_desk.*select)(row);
        });
        connect(list, &QListWidget::itemClicked, this, [this, list, select](QListWidgetItem* item) {
            if (!m_syncing)
                (m_desk.*select)(list->row(item));
        });
        connect(list, &QListWidget::itemActivated, this, [this, list, addItem](QListWidgetItem* item) {
            if (!m_syncing)
                addRecipients([&] { (m_desk.*addItem)(list->row(item)); });
        });
    };
    forward(m_users, &Desk::selectUser, &Desk::addUser);
    forward(m_groups, &Desk::selectGroup, &Desk::addGroup);
    connect(m_recipients, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (!m_syncing)
            m_desk.removeRecipient(m_recipients->row(item));
    });
    auto* removeKey = new QShortcut(QKeySequence::Delete, m_recipients, nullptr, nullptr, Qt::WidgetShortcut);
    connect(removeKey, &QShortcut::activated, this, &RecipientLists::removeSelected);
}

RecipientLists::~RecipientLists()
{
    // Clearing the lists while they are torn down must not reach the desk.
    for (QObject* list : std::initializer_list<QObject*> { m_users, m_groups, m_recipients })
        list->disconnect(this);
}

QLayout* RecipientLists::buildDirectory()
{
    auto* views = new QHBoxLayout;
    QPushButton* users = makeButton(this, "Command1", QStringLiteral("Users"));
    QPushButton* groups = makeButton(this, "Command2", QStringLiteral("Groups"));
    QPushButton* both = makeButton(this, "Command3", QStringLiteral("Both"));
    connect(users, &QPushButton::clicked, this, [this] { m_desk.showUsers(); });
    connect(groups, &QPushButton::clicked, this, [this] { m_desk.showGroups(); });
    connect(both, &QPushButton::clicked, this, [this] { m_desk.showBoth(); });
    views->addWidget(users);
    views->addWidget(groups);
    views->addWidget(both);

    m_usersCaption = new QLabel(QStringLiteral("Users:"), this);
    m_users = new QListWidget(this);
    m_users->setObjectName(QStringLiteral("List1"));
    m_users->setToolTip(QStringLiteral("Double-click a user to add them to the recipients"));
    m_groupsCaption = new QLabel(QStringLiteral("Groups:"), this);
    m_groups = new QListWidget(this);
    m_groups->setObjectName(QStringLiteral("List4"));
    m_groups->setToolTip(QStringLiteral("Double-click a group to add its members to the recipients"));

    auto* directory = new QVBoxLayout;
    directory->addLayout(views);
    directory->addWidget(m_usersCaption);
    directory->addWidget(m_users, 3);
    directory->addWidget(m_groupsCaption);
    directory->addWidget(m_groups, 2);
    return directory;
}

QLayout* RecipientLists::buildRecipients(int captionHeight)
{
    auto* caption = new QLabel(QStringLiteral("Recipients:"), this);
    caption->setMinimumHeight(captionHeight);
    caption->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    m_recipients = new QListWidget(this);
    m_recipients->setObjectName(QStringLiteral("List2"));
    m_recipients->setToolTip(QStringLiteral("Double-click a recipient to remove them"));
    QPushButton* clear = makeButton(this, "Command4", QStringLiteral("Clear Recipient List"));
    connect(clear, &QPushButton::clicked, this, [this] { m_desk.clearRecipients(); });

    auto* recipients = new QVBoxLayout;
    recipients->addWidget(caption);
    recipients->addWidget(m_recipients, 1);
    recipients->addWidget(clear);
    return recipients;
}

void RecipientLists::addSelected()
{
    addRecipients([this] { m_desk.addSelectedRecipient(); });
}

void RecipientLists::addRecipients(const std::function<void()>& adding)
{
    const std::size_t before = m_desk.recipients().size();
    adding();
    if (m_desk.recipients().size() > before)
        Q_EMIT recipientsAdded();
}

void RecipientLists::removeSelected()
{
    m_desk.removeRecipient(m_recipients->currentRow());
}

void RecipientLists::syncList(QListWidget* list, const std::vector<std::string>& items, std::vector<std::string>& shown)
{
    if (items == shown)
        return;
    shown = items;
    const QSignalBlocker blocker(list);
    list->clear();
    for (const auto& item : items)
        list->addItem(platform::fromCore(item));
}

void RecipientLists::sync()
{
    // The widgets' own change signals during the copy are not the operator's doing.
    const bool was = m_syncing;
    m_syncing = true;
    syncList(m_users, m_desk.userList(), m_shownUsers);
    syncList(m_groups, m_desk.groupList(), m_shownGroups);
    syncList(m_recipients, m_desk.recipients(), m_shownRecipients);

    const dispatch::ActiveList visible = m_desk.visibleLists();
    const bool usersShown = visible != dispatch::ActiveList::Groups;
    const bool groupsShown = visible != dispatch::ActiveList::Users;
    m_users->setVisible(usersShown);
    m_usersCaption->setVisible(usersShown);
    m_groups->setVisible(groupsShown);
    m_groupsCaption->setVisible(groupsShown);

    select(m_users, m_desk.selectedUser());
    select(m_groups, m_desk.selectedGroup());
    m_syncing = was;
}

} // namespace tolvane::ui
