#include "ui/events/detail_boxes.h"

#include "platform/text_bridge.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tolvane::ui {

QLineEdit* addDetailBox(
    QGridLayout* grid, int row, int column, const char* name, const QString& caption, bool readOnly, int span)
{
    auto* box = new QLineEdit(grid->parentWidget());
    box->setObjectName(QString::fromLatin1(name));
    box->setReadOnly(readOnly);
    auto* label = new QLabel(caption, grid->parentWidget());
    label->setBuddy(box);
    grid->addWidget(label, row, column * 2);
    grid->addWidget(box, row, column * 2 + 1, 1, span * 2 - 1);
    return box;
}

QGridLayout* addBoxPanel(QBoxLayout* layout, const char* name)
{
    auto* panel = new QFrame(layout->parentWidget());
    panel->setObjectName(QString::fromLatin1(name));
    layout->addWidget(panel);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    return grid;
}

QHBoxLayout* addButtonPanel(QBoxLayout* layout, const char* name)
{
    auto* panel = new QFrame(layout->parentWidget());
    panel->setObjectName(QString::fromLatin1(name));
    layout->addWidget(panel);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    return row;
}

QPushButton* addButton(QBoxLayout* row, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, row->parentWidget());
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

QString oneLine(std::string_view text)
{
    QString shown = platform::fromCore(text);
    shown.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return shown;
}

} // namespace tolvane::ui
