#include "ui/directory/users_tab.h"

#include "platform/dialog_service.h"
#include "platform/text_bridge.h"
#include "store/compaction.h"
#include "store/directory_edits.h"
#include "store/directory_rules.h"
#include "store/record_file.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace tolvane::ui {

using platform::fromCore;
using platform::toCore;

UsersTab::UsersTab(const store::DataFolder& folder, platform::DialogService& dialogs, QWidget* parent)
    : DirectoryTab(QStringLiteral("Uframe"), folder, dialogs, parent)
    , m_buttons(this, QString(), true)
{
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("UList1"));
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("nLabel"));
    m_name = lineEdit(QStringLiteral("uNAME"), 25, this);
    m_pagerId = lineEdit(QStringLiteral("uId"), 100, this);
    m_company = new DropDownBox(QStringLiteral("PageCoCombo"), DropDownBox::Typing::Refused, this);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("User Name:"), m_name);
    fields->addRow(QStringLiteral("Pager ID:"), m_pagerId);
    fields->addRow(QStringLiteral("Pager Company:"), m_company);
    QPushButton* search
        = arrange(QStringLiteral("Users:"), m_list, m_count, fields, m_buttons, QStringLiteral("search"));

    onEntryClick(m_list, m_buttons, [this](int row) { selectUser(row); });
    connect(m_buttons.add, &QPushButton::clicked, this, &UsersTab::addUser);
    connect(m_buttons.save, &QPushButton::clicked, this, &UsersTab::saveUser);
    connect(m_buttons.update, &QPushButton::clicked, this, &UsersTab::updateUser);
    connect(m_buttons.cancel, &QPushButton::clicked, this, &UsersTab::cancelEdit);
    connect(m_buttons.remove, &QPushButton::clicked, this, &UsersTab::deleteUser);
    connect(search, &QPushButton::clicked, this, &UsersTab::searchUsers);
    connect(m_name, &QLineEdit::textEdited, this, &UsersTab::startEditing);
    connect(m_pagerId, &QLineEdit::textEdited, this, &UsersTab::startEditing);
    connect(m_company, &QComboBox::activated, this, &UsersTab::startEditing);
    connect(m_company, &DropDownBox::aboutToDropDown, this, [this] {
        guarded([this] { listCompanies(); });
        startEditing();
    });
    connect(m_company, &DropDownBox::typingRefused, this, [this] { tell(store::kChooseListedCompany); });
    setState(EditState::Viewing);
}

void UsersTab::fill()
{
    guarded([this] { listUsers(store::readAllRecords<store::UserRecord>(m_folder)); });
    showFirstUser();
}

namespace {

QStringList namesOf(const std::vector<store::UserRecord>& users)
{
    QStringList names;
    for (const store::UserRecord& user : users)
        names << fromCore(user.UserName);
    return names;
}

} // namespace

void UsersTab::listUsers(const std::vector<store::UserRecord>& users)
{
    setEntries(m_list, namesOf(users));
    m_count->setText(QString::number(users.size()));
}

void UsersTab::refresh()
{
    const auto users = store::readAllRecords<store::UserRecord>(m_folder);
    const std::string shown = store::shownUser(0, m_current).identity;
    int row = -1;
    for (int i = 0; i < static_cast<int>(users.size()); ++i) {
        if (store::shownUser(0, users[static_cast<std::size_t>(i)]).identity == shown
            && (row < 0 || i == m_list->currentRow()))
            row = i;
    }
    listUsers(users);
    selectQuietly(m_list, row);
    if (m_buttons.state() != EditState::Viewing)
        setState(m_buttons.state()); // the typing stays; update checks the user is still there
    else if (row >= 0)
        show(users[static_cast<std::size_t>(row)]);
    else
        showFirstUser();
}

void UsersTab::showFirstUser()
{
    if (m_list->count() > 0) {
        selectQuietly(m_list, 0);
        selectUser(0);
        return;
    }
    m_current = {};
    m_name->clear();
    m_pagerId->clear();
    m_company->showText({});
    setState(EditState::Viewing);
}

void UsersTab::selectUser(int row)
{
    if (row >= 0)
        guarded([&] { showUser(row); });
}

void UsersTab::showUser(int row)
{
    const auto users = store::readAllRecords<store::UserRecord>(m_folder);
    row = rowInFile(m_list, row, namesOf(users));
    m_count->setText(QString::number(users.size()));
    if (row < 0)
        showFirstUser();
    else
        show(users[static_cast<std::size_t>(row)]);
}

void UsersTab::show(const store::UserRecord& user)
{
    m_current = user;
    m_name->setText(fromCore(store::shownText(user.UserName)));
    m_pagerId->setText(fromCore(store::shownText(user.PagerId)));
    m_company->showText(fromCore(store::shownText(user.PagingCompany)));
    setState(EditState::Viewing);
}

void UsersTab::setState(EditState state)
{
    m_buttons.apply(state, m_list->currentRow() >= 0);
}

void UsersTab::startEditing()
{
    m_buttons.startEditing(m_list->currentRow() >= 0);
}

void UsersTab::listCompanies()
{
    QStringList names;
    for (const store::TerminalRecord& company : store::readAllRecords<store::TerminalRecord>(m_folder))
        names << fromCore(company.CompanyName);
    m_company->setEntries(names);
}

store::UserForm UsersTab::form() const
{
    return store::UserForm { toCore(m_name->text()), toCore(m_pagerId->text()), toCore(m_company->currentText()) };
}

void UsersTab::addUser()
{
    m_name->clear();
    m_pagerId->clear();
    setState(EditState::Adding);
    guarded([this] { listCompanies(); });
    m_name->setFocus();
}

void UsersTab::write(store::UserWrite how)
{
    guarded([&] {
        const store::UserResult user = store::userRecord(how, form(), m_current);
        if (!user.ok) {
            tell(user.message);
            return;
        }
        const store::EditResult result = how == store::UserWrite::Save
            ? store::saveUser(m_folder, user.record)
            : store::updateUser(m_folder, store::shownUser(m_list->currentRow() + 1, m_current), user.record);
        settle(result.written(), result.status == store::EditStatus::Changed, result.message);
    });
}

void UsersTab::saveUser()
{
    write(store::UserWrite::Save);
}

void UsersTab::updateUser()
{
    write(store::UserWrite::Update);
}

void UsersTab::cancelEdit()
{
    showFirstUser();
}

void UsersTab::deleteUser()
{
    const int row = m_list->currentRow();
    if (row < 0)
        return;
    guarded([&] {
        // The only user is refused without asking first.
        const QString question
            = QStringLiteral("Delete the user %1?").arg(fromCore(store::shownText(m_current.UserName)));
        if (m_list->count() > 1 && !m_dialogs.ask(question))
            return;
        const store::DeleteResult result
            = store::deleteUser(m_folder, row + 1, store::shownUser(row + 1, m_current).identity);
        if (result.deleted())
            Q_EMIT changed();
        else
            tell(result.message);
        // Deleted or refused, the list shows the file as it now stands, unless the folder cannot be read.
        if (result.status != store::DeleteStatus::Unreachable)
            reload();
    });
}

void UsersTab::searchUsers()
{
    openSearch(QStringLiteral("TSearch2"), QStringLiteral("Search User"), m_list, [this](int row) { showUser(row); });
}

} // namespace tolvane::ui
