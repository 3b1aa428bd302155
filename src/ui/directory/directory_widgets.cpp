#include "ui/directory/directory_widgets.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvane::ui {

DropDownBox::DropDownBox(const QString& objectName, Typing typing, QWidget* parent)
    : QComboBox(parent)
{
    setObjectName(objectName);
    setInsertPolicy(QComboBox::NoInsert);
    setEditable(typing != Typing::None);
    if (typing == Typing::Refused) {
        // Editable only so that it can show a stored name that is no longer listed; typing is refused.
        lineEdit()->setReadOnly(true);
        lineEdit()->installEventFilter(this);
    }
}

void DropDownBox::showPopup()
{
    Q_EMIT aboutToDropDown();
    QComboBox::showPopup();
}

void DropDownBox::setEntries(const QStringList& entries)
{
    const QString shown = currentText();
    const QSignalBlocker quiet(this);
    clear();
    addItems(entries);
    showText(shown);
}

void DropDownBox::showText(const QString& text)
{
    const QSignalBlocker quiet(this);
    const int index = findText(text);
    setCurrentIndex(index);
    if (isEditable())
        setEditText(text);
}

bool DropDownBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool types = (!key->text().isEmpty() && key->text().front().isPrint()) || key->key() == Qt::Key_Backspace
            || key->key() == Qt::Key_Delete;
        if (types && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            Q_EMIT typingRefused();
            return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

ChoiceList::ChoiceList(const QString& objectName, QWidget* parent)
    : QListWidget(parent)
{
    setObjectName(objectName);
}

void ChoiceList::mousePressEvent(QMouseEvent* event)
{
    QListWidget::mousePressEvent(event);
    m_pressed = event->button() == Qt::LeftButton ? itemAt(event->position().toPoint()) : nullptr;
}

void ChoiceList::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click: not a choice of its own.
    m_pressed = nullptr;
    event->accept();
}

void ChoiceList::mouseReleaseEvent(QMouseEvent* event)
{
    QListWidget::mouseReleaseEvent(event);
    QListWidgetItem* pressed = std::exchange(m_pressed, nullptr);
    if (pressed && event->button() == Qt::LeftButton && itemAt(event->position().toPoint()) == pressed)
        Q_EMIT entryChosen(pressed);
}

void ChoiceList::keyPressEvent(QKeyEvent* event)
{
    const bool choose
        = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space;
    if (choose && currentItem()) {
        Q_EMIT entryChosen(currentItem());
        return;
    }
    QListWidget::keyPressEvent(event);
}

EditButtons::EditButtons(QWidget* parent, const QString& digit, bool withUpdate)
{
    auto* column = new QVBoxLayout;
    auto make = [&](const char* name, const char* caption) {
        auto* button = new QPushButton(QString::fromLatin1(caption), parent);
        button->setObjectName(QString::fromLatin1(name) + digit);
        button->setAutoDefault(false);
        column->addWidget(button);
        return button;
    };
    add = make("BADD", "&Add");
    save = make("BSAVE", "&Save");
    if (withUpdate)
        update = make("BUPDATE", "&Update");
    cancel = make("BCANCEL", "&Cancel");
    remove = make("BDELETE", "&Delete");
    m_column = column;
}

void EditButtons::apply(EditState state, bool canDelete)
{
    m_state = state;
    add->setEnabled(state == EditState::Viewing);
    remove->setEnabled(state == EditState::Viewing && canDelete);
    save->setEnabled(state == EditState::Adding);
    if (update)
        update->setEnabled(state == EditState::Editing);
    cancel->setEnabled(state != EditState::Viewing);
}

void EditButtons::startEditing(bool recordShown)
{
    if (m_state == EditState::Viewing && recordShown)
        apply(EditState::Editing, true);
}

} // namespace tolvane::ui
