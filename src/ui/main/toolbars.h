#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class QAction;
class QMainWindow;
class QToolBar;

namespace tolvane::ui {

class ToolbarCustomizeDialog;

// Toolbar1 (16 x 16 pictures) and Toolbar2 (32 x 32): the same buttons, built from the command table over
// the window's shared actions, so a disabled command greys its button on both. Exactly one is shown.
// Each toolbar's layout (which buttons, in which order) is kept per workstation in the program's settings
// under the key "1", the layout name "MyToolbar1" or "MyToolbar2" and the value name "True".
class MainToolbars : public QObject {
    Q_OBJECT

public:
    MainToolbars(QMainWindow& window, std::function<QAction*(const QString& name)> actionNamed);

    QToolBar* toolbar(bool large) const { return large ? m_large : m_small; }
    bool largeShown() const { return m_largeShown; }
    // Shows one toolbar and hides the other; the buttons' tool tips become the shown toolbar's.
    void showLarge(bool large);

    // The keys of a toolbar's buttons in order, separators as "-".
    QStringList layout(bool large) const;
    void setLayout(bool large, const QStringList& keys);

    // Restores the shown toolbar's saved layout; when nothing usable was saved, saves the present one.
    void restoreLayout();
    // The shown toolbar's customise dialog; each change is applied and saved at once.
    ToolbarCustomizeDialog* customize();

Q_SIGNALS:
    // A button was clicked and its command has run.
    void buttonClicked();

private:
    bool restoreLayout(bool large);
    void saveLayout(bool large) const;

    QMainWindow& m_window;
    std::function<QAction*(const QString& name)> m_actionNamed;
    QToolBar* m_small = nullptr;
    QToolBar* m_large = nullptr;
    bool m_largeShown = false;
    QPointer<ToolbarCustomizeDialog> m_dialog;
};

} // namespace tolvane::ui
