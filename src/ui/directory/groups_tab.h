#pragma once

#include "store/record_file.h"
#include "ui/directory/directory_tab.h"
#include "ui/directory/directory_widgets.h"

#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;

namespace tolvane::ui {

// The "Groups" tab (frame uGroups): the groups of GROUP.DAT, the chosen group's name, comment, members and
// non-members, and add, save, cancel and delete. A click on a member or non-member changes that user's
// membership at once. While the tab is shown it keeps GROUP.DAT open, so that another workstation cannot
// delete a group from under it.
class GroupsTab final : public DirectoryTab {
    Q_OBJECT

public:
    GroupsTab(const store::DataFolder& folder, platform::DialogService& dialogs, QWidget* parent = nullptr);

    // GroupView: open GROUP.DAT and list the groups; none is chosen yet.
    void fill() override;
    bool typing() const override { return m_buttons.state() != EditState::Viewing; }

    void selectGroup(int row);
    // A non-member clicked in gList3 joins the group; a member clicked in gList2 leaves it.
    void changeMembership(QListWidgetItem* item, bool join);
    void addGroup();
    void saveGroup();
    void cancelEdit();
    void deleteGroup();

protected:
    void closeFiles() override { m_file.reset(); }
    void refresh() override;

private:
    store::RecordFile& file();
    QStringList readGroupNames();
    void showGroup(int row);
    void showNoGroup();
    void setState(EditState state);

    std::unique_ptr<store::RecordFile> m_file;
    // The group shown, as it was read: a membership click and a delete check it is still at its place.
    store::GroupRecord m_shown;
    QListWidget* m_groups = nullptr;
    QLabel* m_count = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_comment = nullptr;
    ChoiceList* m_members = nullptr;
    ChoiceList* m_others = nullptr;
    EditButtons m_buttons;
};

} // namespace tolvane::ui
