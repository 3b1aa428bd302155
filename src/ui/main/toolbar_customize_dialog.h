#pragma once

#include <QDialog>
#include <QIcon>
#include <QStringList>

#include <vector>

class QListWidget;

namespace tolvane::ui {

// "Customize Toolbar": adds, removes and reorders the buttons of one toolbar. The buttons not on the
// toolbar are listed on the left (a separator is always there to add), the toolbar's buttons in their
// order on the right, each with its picture and its description. Every change is reported at once.
class ToolbarCustomizeDialog : public QDialog {
    Q_OBJECT

public:
    struct Button {
        QString key;
        QString description;
        QIcon icon;
    };

    // `buttons` in design order; `design` and `current` are layouts of keys, separators as "-".
    ToolbarCustomizeDialog(
        std::vector<Button> buttons, QStringList design, QStringList current, QWidget* parent = nullptr);

    QStringList currentLayout() const { return m_current; }

Q_SIGNALS:
    void layoutChanged(const QStringList& keys);

private:
    void addSelected();
    void removeSelected();
    void moveSelected(int step);
    void reset();
    void change(QStringList keys, int selectRow);
    void fillLists(int selectRow);
    const Button* buttonFor(const QString& key) const;

    std::vector<Button> m_buttons;
    QStringList m_design;
    QStringList m_current;
    QListWidget* m_available = nullptr;
    QListWidget* m_onToolbar = nullptr;
};

} // namespace tolvane::ui
