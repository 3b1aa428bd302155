#include "ui/directory/users_tab.h"

#include "platform/dialog_service.h"
#include "platform/text_bridge.h"
#include "store/compaction.h"
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
    guarded([this] {
        QStringList names;
        for (const store::UserRecord& user : store::readAllRecords<store::UserRecord>(m_folder))
            names << fromCore(user.UserName);
        const QSignalBlocker quiet(m_list);
        m_list->clear();
        m_list->addItems(names);
        m_count->setText(QString::number(names.size()));
    });
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
    m_current = store::readRecordAt<store::UserRecord>(m_folder.pathOf<store::UserRecord>(), row + 1);
    m_name->setText(fromCore(store::shownText(m_current.UserName)));
    m_pagerId->setText(fromCore(store::shownText(m_current.PagerId)));
    m_company->showText(fromCore(store::shownText(m_current.PagingCompany)));
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

void UsersTab::addUser()
{
    m_name->clear();
    m_pagerId->clear();
    setState(EditState::Adding);
    guarded([this] { listCompanies(); });
    m_name->setFocus();
}

void UsersTab::saveUser()
{
    guarded([this] {
        const store::UserRecord user
            = store::newUserRecord(toCore(m_name->text()), toCore(m_pagerId->text()), toCore(m_company->currentText()));
        store::RecordFile file(m_folder.pathOf<store::UserRecord>(), store::UserRecord::kLength);
        file.appendRaw(user.encode());
        Q_EMIT changed();
    });
    reload();
}

void UsersTab::updateUser()
{
    const int row = m_list->currentRow();
    if (row < 0)
        return;
    guarded([&] {
        const store::UserRecord user = store::updatedUserRecord(
            m_current, toCore(m_name->text()), toCore(m_pagerId->text()), toCore(m_company->currentText()));
        store::writeRecordAt(m_folder.pathOf<store::UserRecord>(), row + 1, user);
        Q_EMIT changed();
    });
    reload();
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
    const store::DeleteResult result = store::deleteUser(m_folder, row + 1);
    if (result.deleted())
        Q_EMIT changed();
    else
        tell(result.message);
    reload();
}

void UsersTab::searchUsers()
{
    openSearch(QStringLiteral("TSearch2"), QStringLiteral("Search User"), m_list, [this](int row) { showUser(row); });
}

} // namespace tolvane::ui
