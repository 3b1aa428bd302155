#include "ui/directory/groups_tab.h"

#include "platform/dialog_service.h"
#include "platform/text_bridge.h"
#include "store/compaction.h"
#include "store/directory_rules.h"
#include "store/membership.h"
#include "store/text.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvane::ui {

using platform::fromCore;
using platform::toCore;

GroupsTab::GroupsTab(const store::DataFolder& folder, platform::DialogService& dialogs, QWidget* parent)
    : DirectoryTab(QStringLiteral("uGroups"), folder, dialogs, parent)
    , m_buttons(this, QStringLiteral("3"), false)
{
    m_groups = new QListWidget(this);
    m_groups->setObjectName(QStringLiteral("gList1"));
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("Label6"));
    m_name = lineEdit(QStringLiteral("gText"), 25, this);
    m_comment = lineEdit(QStringLiteral("cText"), 25, this);
    m_members = new ChoiceList(QStringLiteral("gList2"), this);
    m_others = new ChoiceList(QStringLiteral("gList3"), this);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Group:"), m_name);
    fields->addRow(QStringLiteral("Comment"), m_comment);
    auto* membership = new QGridLayout;
    membership->addWidget(new QLabel(QStringLiteral("Members"), this), 0, 0);
    membership->addWidget(new QLabel(QStringLiteral("Non-Members"), this), 0, 1);
    membership->addWidget(m_members, 1, 0);
    membership->addWidget(m_others, 1, 1);
    auto* middle = new QVBoxLayout;
    middle->addLayout(fields);
    middle->addLayout(membership, 1);

    arrange(QStringLiteral("Groups:"), m_groups, m_count, middle, m_buttons);

    onEntryClick(m_groups, m_buttons, [this](int row) { selectGroup(row); });
    connect(m_others, &ChoiceList::entryChosen, this, [this](QListWidgetItem* item) { changeMembership(item, true); });
    connect(
        m_members, &ChoiceList::entryChosen, this, [this](QListWidgetItem* item) { changeMembership(item, false); });
    connect(m_buttons.add, &QPushButton::clicked, this, &GroupsTab::addGroup);
    connect(m_buttons.save, &QPushButton::clicked, this, &GroupsTab::saveGroup);
    connect(m_buttons.cancel, &QPushButton::clicked, this, &GroupsTab::cancelEdit);
    connect(m_buttons.remove, &QPushButton::clicked, this, &GroupsTab::deleteGroup);
    setState(EditState::Viewing);
}

store::RecordFile& GroupsTab::file()
{
    if (!m_file)
        m_file
            = std::make_unique<store::RecordFile>(m_folder.pathOf<store::GroupRecord>(), store::GroupRecord::kLength);
    return *m_file;
}

void GroupsTab::fill()
{
    {
        const QSignalBlocker quiet(m_groups);
        m_groups->clear();
    }
    // No group is chosen yet: nothing of an earlier one stays on show.
    m_name->clear();
    m_comment->clear();
    m_members->clear();
    m_others->clear();
    guarded([this] {
        const std::string all = file().readAllRaw();
        const QSignalBlocker quiet(m_groups);
        for (std::size_t at = 0; at + store::GroupRecord::kLength <= all.size(); at += store::GroupRecord::kLength)
            m_groups->addItem(fromCore(std::string_view(all).substr(at, 25)));
    });
    m_count->setText(QString::number(m_groups->count()));
    setState(EditState::Viewing);
}

void GroupsTab::setState(EditState state)
{
    // A group's name and comment are typed only for a new group: there is no update.
    m_name->setReadOnly(state != EditState::Adding);
    m_comment->setReadOnly(state != EditState::Adding);
    m_buttons.apply(state, m_groups->currentRow() >= 0);
}

void GroupsTab::selectGroup(int row)
{
    if (row >= 0)
        guarded([&] { showGroup(row); });
}

void GroupsTab::showGroup(int row)
{
    const store::GroupRecord group = store::readRecord<store::GroupRecord>(file(), row + 1);
    m_name->setText(fromCore(store::shownText(group.GroupName)));
    m_comment->setText(fromCore(store::shownText(group.Comment)));
    m_members->clear();
    m_others->clear();
    const auto flag = static_cast<std::size_t>(row);
    for (const store::UserRecord& user : store::readAllRecords<store::UserRecord>(m_folder)) {
        const bool member = flag < user.GroupFlags.size() && user.GroupFlags[flag] == '1';
        (member ? m_members : m_others)->addItem(fromCore(user.UserName));
    }
    setState(EditState::Viewing);
}

void GroupsTab::changeMembership(QListWidgetItem* item, bool join)
{
    const int row = m_groups->currentRow();
    if (row < 0)
        return;
    guarded([&] {
        const QString name = item->text();
        if (store::setMembershipByName(m_folder, toCore(name), row + 1, join) == 0) {
            // The user has gone meanwhile (another workstation): show the group as it now stands.
            showGroup(row);
            return;
        }
        delete item;
        (join ? m_members : m_others)->addItem(name);
        Q_EMIT changed();
    });
}

void GroupsTab::addGroup()
{
    guarded([this] {
        // Counted afresh: another workstation may have added groups since the list was filled.
        closeFiles();
        if (!store::canAddGroup(file().count())) {
            tell(store::kGroupLimitReached);
            return;
        }
        m_name->clear();
        m_comment->clear();
        setState(EditState::Adding);
        m_name->setFocus();
    });
}

void GroupsTab::saveGroup()
{
    const std::string name = toCore(m_name->text());
    if (store::trim(name).empty())
        return;
    bool saved = false;
    bool full = false;
    guarded([&] {
        // Counted under the writer lock: an eleventh group would have no flag in the user records.
        const store::RecordFile::WriterLock writer(file());
        full = !store::canAddGroup(file().count());
        if (!full)
            saved = file().appendRaw(store::GroupRecord { name, toCore(m_comment->text()) }.encode()) > 0;
    });
    if (full)
        tell(store::kGroupLimitReached);
    if (saved)
        Q_EMIT changed();
    reload();
}

void GroupsTab::cancelEdit()
{
    reload();
}

void GroupsTab::deleteGroup()
{
    const int row = m_groups->currentRow();
    if (row < 0)
        return;
    const store::DeleteResult result = store::deleteGroup(m_folder, row + 1);
    if (!result.deleted()) {
        tell(result.message);
        return;
    }
    Q_EMIT changed();
    reload();
}

} // namespace tolvane::ui
