#pragma once

#include <QDialog>

#include <functional>

class QAbstractItemView;
class QLineEdit;
class QListWidget;

namespace tolvane::ui {

// The first of `count` entries whose text, from character `from` on, starts with `text`, compared
// without regard to case and blanks included (the entries are blank-padded names). An empty text matches
// the first entry. -1 when none matches.
int findByPrefix(int count, const std::function<QString(int)>& entryAt, const QString& text, int from = 0);

// An incremental search over a list of another window: while the operator types, the list's selection
// jumps to the first entry that begins with the text; Enter and "&Done" close the dialog. It holds no
// state of its own and never blocks its target window, which stays usable beside it.
//
//     auto* search = new SearchDialog(QStringLiteral("TSearch2"), QStringLiteral("Search User"), this);
//     search->searchList(m_users); // or setTarget(count, entryAt, select) for a model of another kind
//     search->show();
class SearchDialog : public QDialog {
    Q_OBJECT

public:
    SearchDialog(const QString& objectName, const QString& caption, QWidget* parent = nullptr);

    // The list to search: how many entries it has, the text of entry i, and how to select entry i (which
    // must run the list's own click handling). `from` skips the first characters of every entry.
    void setTarget(
        std::function<int()> count, std::function<QString(int)> entryAt, std::function<void(int)> select, int from = 0);
    // A list widget: selecting sets its current row, which runs its current-row handling.
    void searchList(QListWidget* list, int from = 0);
    // A list or table view over any model, comparing one column of each row as the view shows it.
    void searchView(QAbstractItemView* view, int column, int from = 0);

    QLineEdit* searchBox() const { return m_text; }

private:
    void search(const QString& text);

    QLineEdit* m_text = nullptr;
    std::function<int()> m_count;
    std::function<QString(int)> m_entryAt;
    std::function<void(int)> m_select;
    int m_from = 0;
};

} // namespace tolvane::ui
