#pragma once

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QLayout;
class QListWidget;

namespace tolvane::dispatch {
class PagingDesk;
}

namespace tolvane::ui {

// The directory lists (users List1, groups List4) with their view buttons, the arrows, and the
// recipients List2 with "Clear Recipient List". The desk holds every list; this panel shows them and
// forwards clicks, double-clicks, the arrows and the Delete key to it.
class RecipientLists : public QWidget {
    Q_OBJECT

public:
    explicit RecipientLists(dispatch::PagingDesk& desk, QWidget* parent = nullptr);
    ~RecipientLists() override;

    QListWidget* users() const { return m_users; }

    // Copies the desk's lists, the visible views and the selections into the widgets.
    void sync();

    // Image1: adds the selected user or group. Image2: removes the selected recipient.
    void addSelected();
    void removeSelected();

Q_SIGNALS:
    // The operator added one or more recipients.
    void recipientsAdded();

private:
    void addRecipients(const std::function<void()>& adding);
    QLayout* buildDirectory();
    QLayout* buildRecipients(int captionHeight);
    void syncList(QListWidget* list, const std::vector<std::string>& items, std::vector<std::string>& shown);

    dispatch::PagingDesk& m_desk;
    bool m_syncing = false;
    QListWidget* m_users = nullptr;
    QListWidget* m_groups = nullptr;
    QLabel* m_usersCaption = nullptr;
    QLabel* m_groupsCaption = nullptr;
    QListWidget* m_recipients = nullptr;
    std::vector<std::string> m_shownUsers;
    std::vector<std::string> m_shownGroups;
    std::vector<std::string> m_shownRecipients;
};

} // namespace tolvane::ui
