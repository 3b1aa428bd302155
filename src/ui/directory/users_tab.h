#pragma once

#include "store/directory_rules.h"
#include "ui/directory/directory_tab.h"
#include "ui/directory/directory_widgets.h"

#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;

namespace tolvane::ui {

// The "Users" tab (frame Uframe): the users of USERS.DAT in record order, the shown user's name, pager ID
// and paging company, and add, save, update, cancel, delete and search. It keeps no file open between
// commands. Update and delete name the user the operator saw (name and pager ID as loaded), so a sort or
// another workstation's change in the meantime never lets them write over or delete someone else.
class UsersTab final : public DirectoryTab {
    Q_OBJECT

public:
    UsersTab(const store::DataFolder& folder, platform::DialogService& dialogs, QWidget* parent = nullptr);

    // UsersView: list the users and show the first.
    void fill() override;
    bool typing() const override { return m_buttons.state() != EditState::Viewing; }

    void selectUser(int row);
    void addUser();
    void saveUser();
    void updateUser();
    void cancelEdit();
    void deleteUser();
    void searchUsers();

protected:
    void refresh() override;

private:
    void listUsers(const std::vector<store::UserRecord>& users);
    void showUser(int row);
    void show(const store::UserRecord& user);
    void showFirstUser();
    void setState(EditState state);
    // A change by the operator while a user is shown starts editing it.
    void startEditing();
    void listCompanies();
    store::UserForm form() const;
    void write(store::UserWrite how);

    // The user shown, as it was read: the base of an update, and what update and delete check is still there.
    store::UserRecord m_current;
    QListWidget* m_list = nullptr;
    QLabel* m_count = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_pagerId = nullptr;
    DropDownBox* m_company = nullptr;
    EditButtons m_buttons;
};

} // namespace tolvane::ui
