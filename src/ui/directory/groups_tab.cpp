#include "ui/directory/groups_tab.h"

#include "platform/dialog_service.h"
#include "platform/text_bridge.h"
#include "store/compaction.h"
#include "store/directory_edits.h"
#include "store/directory_rules.h"
#include "store/store_error.h"
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
    // After a change of the shared folder, the file of the folder now in use.
    const auto path = m_folder.pathOf<store::GroupRecord>();
    if (!m_file || m_file->path() != path) {
        if (!m_folder.directoryReachable())
            throw store::DirectoryUnreachable(m_folder.unreachableText());
        m_file = std::make_unique<store::RecordFile>(path, store::GroupRecord::kLength);
    }
    return *m_file;
}

QStringList GroupsTab::readGroupNames()
{
    const std::string all = file().readAllRaw();
    QStringList names;
    for (std::size_t at = 0; at + store::GroupRecord::kLength <= all.size(); at += store::GroupRecord::kLength)
        names << fromCore(std::string_view(all).substr(at, 25));
    return names;
}

void GroupsTab::fill()
{
    setEntries(m_groups, {});
    guarded([this] { setEntries(m_groups, readGroupNames()); });
    m_count->setText(QString::number(m_groups->count()));
    showNoGroup();
}

void GroupsTab::showNoGroup()
{
    // No group is chosen yet: nothing of an earlier one stays on show.
    m_shown = {};
    m_name->clear();
    m_comment->clear();
    m_members->clear();
    m_others->clear();
    setState(EditState::Viewing);
}

void GroupsTab::refresh()
{
    const QStringList names = readGroupNames();
    const QString shown = fromCore(store::fixedText(m_shown.GroupName, 25));
    const int current = m_groups->currentRow();
    const bool stillThere = current >= 0 && current < names.size() && names[current] == shown;
    setEntries(m_groups, names);
    m_count->setText(QString::number(names.size()));
    const int row = stillThere ? current : rowOf(m_groups, shown);
    selectQuietly(m_groups, row);
    if (m_buttons.state() != EditState::Viewing)
        setState(m_buttons.state()); // a new group's name and comment stay
    else if (row >= 0)
        showGroup(row);
    else
        showNoGroup();
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
    row = rowInFile(m_groups, row, readGroupNames());
    m_count->setText(QString::number(m_groups->count()));
    if (row < 0) {
        showNoGroup();
        return;
    }
    const store::GroupRecord group = store::readRecord<store::GroupRecord>(file(), row + 1);
    m_shown = group;
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
        const store::EditResult result
            = store::setMembership(m_folder, store::shownGroup(row + 1, m_shown), toCore(name), join);
        if (!result.written()) {
            tell(result.message);
            // The user or the group has gone or moved meanwhile: the groups as they now stand.
            if (result.status == store::EditStatus::Changed)
                reload();
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
    guarded([this] {
        const store::GroupResult group = store::groupRecord(toCore(m_name->text()), toCore(m_comment->text()));
        if (!group.ok) {
            tell(group.message);
            return;
        }
        const store::EditResult result = store::saveGroup(m_folder, group.record);
        // A full directory refuses as the Add button does, and ends the adding.
        settle(result.written(), result.message == store::kGroupLimitReached, result.message);
    });
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
    guarded([&] {
        // Every member's place in the group goes with it, so ask first; the only group is refused without asking.
        const QString question = QStringLiteral("Delete the group %1? Its members stay in the directory.")
                                     .arg(fromCore(store::shownText(m_shown.GroupName)));
        if (m_groups->count() > 1 && !m_dialogs.ask(question))
            return;
        const store::DeleteResult result
            = store::deleteGroup(m_folder, row + 1, store::shownGroup(row + 1, m_shown).identity);
        settle(result.deleted(), result.status == store::DeleteStatus::Changed, result.message);
    });
}

} // namespace tolvane::ui
