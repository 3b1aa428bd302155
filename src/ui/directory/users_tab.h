#pragma once

#include "store/records.h"
#include "ui/directory/directory_tab.h"
#include "ui/directory/directory_widgets.h"

class QLabel;
class QLineEdit;
class QListWidget;

namespace tolvane::ui {

// The "Users" tab (frame Uframe): the users of USERS.DAT in record order, the shown user's name, pager ID
// and paging company, and add, save, update, cancel, delete and search. It keeps no file open between
// commands.
class UsersTab final : public DirectoryTab {
    Q_OBJECT

public:
    UsersTab(const store::DataFolder& folder, platform::DialogService& dialogs, QWidget* parent = nullptr);

    // UsersView: list the users and show the first.
    void fill() override;

    void selectUser(int row);
    void addUser();
    void saveUser();
    void updateUser();
    void cancelEdit();
    void deleteUser();
    void searchUsers();

private:
    void showUser(int row);
    void showFirstUser();
    void setState(EditState state);
    // A change by the operator while a user is shown starts editing it.
    void startEditing();
    void listCompanies();

    store::UserRecord m_current;
    QListWidget* m_list = nullptr;
    QLabel* m_count = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_pagerId = nullptr;
    DropDownBox* m_company = nullptr;
    EditButtons m_buttons;
};

} // namespace tolvane::ui
