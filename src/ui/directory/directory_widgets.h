#pragma once

#include <QComboBox>
#include <QListWidget>

class QBoxLayout;
class QPushButton;

namespace tolvane::ui {

// A drop-down box that says when it is about to open, so that a tab can refill its list, warn, and start
// editing first. Typing into it is either not possible (a plain list), allowed, or refused with
// typingRefused: then its text may only come from its list, while it can still show a stored text that
// is no longer listed.
class DropDownBox : public QComboBox {
    Q_OBJECT

public:
    enum class Typing { None, Allowed, Refused };
    DropDownBox(const QString& objectName, Typing typing, QWidget* parent = nullptr);

    void showPopup() override;

    // Refills the list from `entries`, keeping the text shown.
    void setEntries(const QStringList& entries);
    // Shows `text`: the matching entry, or (in a box that cannot hold other text) no entry.
    void showText(const QString& text);

Q_SIGNALS:
    void aboutToDropDown();
    void typingRefused();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// A list whose entries are chosen by one click (or Return or Space on the current entry). A chosen entry
// usually leaves the list, so the second click of a double click would land on its neighbour: that click
// chooses nothing.
class ChoiceList : public QListWidget {
    Q_OBJECT

public:
    explicit ChoiceList(const QString& objectName, QWidget* parent = nullptr);

Q_SIGNALS:
    void entryChosen(QListWidgetItem* item);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QListWidgetItem* m_pressed = nullptr;
};

// What a tab is doing, shown only by which of its buttons are enabled.
enum class EditState { Viewing, Editing, Adding };

// A tab's command buttons ("&Add", "&Save", "&Update", "&Cancel", "&Delete", named BADD, BSAVE... with the
// tab's digit), enabled from its state in one place: viewing offers add and delete, editing (an existing
// record) update and cancel, adding save and cancel.
class EditButtons {
public:
    EditButtons(QWidget* parent, const QString& digit, bool withUpdate);

    QPushButton* add = nullptr;
    QPushButton* save = nullptr;
    QPushButton* update = nullptr; // none on the groups tab
    QPushButton* cancel = nullptr;
    QPushButton* remove = nullptr;

    // `canDelete`: a record is selected to delete.
    void apply(EditState state, bool canDelete);
    // The operator changed a box: viewing a shown record turns into editing it; adding stays adding.
    void startEditing(bool recordShown);
    EditState state() const { return m_state; }
    // The buttons stacked in a column, with room for more below.
    QBoxLayout* column() const { return m_column; }

private:
    EditState m_state = EditState::Viewing;
    QBoxLayout* m_column = nullptr;
};

} // namespace tolvane::ui
