#pragma once

#include "store/data_folder.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <string_view>

class QLabel;
class QLayout;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tolvane::platform {
class DialogService;
}

namespace tolvane::ui {

class EditButtons;
class SearchDialog;

// One tab of the directory editor. The window fills the tab when it is shown (fill) and closes the files
// it keeps open when another tab is chosen or the window closes (leave). Every change a tab writes to
// USERS.DAT, GROUP.DAT or TERMINAL.DAT is followed by changed().
class DirectoryTab : public QWidget {
    Q_OBJECT

public:
    DirectoryTab(const QString& frameName, const store::DataFolder& folder, platform::DialogService& dialogs,
        QWidget* parent = nullptr);

    virtual void fill() = 0;
    // A record is being typed (added or edited) and not yet saved.
    virtual bool typing() const = 0;
    // Closes the tab's files and its search dialog.
    void leave();
    // The files changed elsewhere (another workstation, a sort): read them again, keeping what the operator has
    // in hand. The record shown stays shown where it now stands, and a record being typed stays in its boxes.
    // Quiet: a directory that cannot be read now is said at the operator's next command. A command in progress
    // (waiting on a box) gets the refresh when it ends.
    void requestRefresh();

Q_SIGNALS:
    void changed();

protected:
    virtual void closeFiles() { }
    virtual void refresh() = 0;
    // Fill again from the files, as after every save, update and delete.
    void reload();

    // Runs a command; a file that cannot be read or written is reported, never thrown into the event loop.
    void guarded(const std::function<void()>& command);
    void tell(std::string_view text);
    // After a write: a written one is announced (changed()) and the tab reloads; a refusal is said, and leaves
    // the typed record in its boxes, except that a directory changed underneath reloads too. True when written.
    bool settle(bool written, bool changedUnderneath, std::string_view message);
    // The row of the first entry whose text is `entry` (the list's own text, as filled); -1 when none.
    static int rowOf(const QListWidget* list, const QString& entry);
    // Fills `list` with `names` (their full stored text) without the list's signals.
    static void setEntries(QListWidget* list, const QStringList& names);
    // Where the entry clicked at `row` stands in the file as just read (`names`): `row` while the list agrees
    // with the file; else the list is filled again from the file (another workstation, a sort) and the
    // entry's new row is selected, or -1 when it has gone.
    static int rowInFile(QListWidget* list, int row, const QStringList& names);

    // Opens the tab's search dialog over `list`, or brings it forward; choosing an entry runs `show`, the
    // list's own click handling.
    void openSearch(const QString& name, const QString& caption, QListWidget* list, std::function<void(int)> show);
    // The list's click handling: `click` runs when an entry becomes current, and again when the current entry
    // is clicked while a record is edited or added (the click abandons the edit, as one on another entry does).
    void onEntryClick(QListWidget* list, const EditButtons& buttons, std::function<void(int)> click);
    // Makes `row` the current entry without the list's signals: callers show the entry themselves.
    static void selectQuietly(QListWidget* list, int row);

    static QLineEdit* lineEdit(const QString& name, int maxLength, QWidget* parent);
    // The tab's three columns: the list under its title with its count below, the boxes, and the command
    // buttons, with a "Searc&h" button named `searchName` under them when the tab has one (returned).
    QPushButton* arrange(const QString& title, QListWidget* list, QLabel* count, QLayout* boxes, EditButtons& buttons,
        const QString& searchName = {});

    const store::DataFolder& m_folder;
    platform::DialogService& m_dialogs;

private:
    QPointer<SearchDialog> m_search;
    bool m_busy = false;
    bool m_refreshPending = false;
};

} // namespace tolvane::ui
