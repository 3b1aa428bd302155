#include "ui/events/detail_boxes.h"

#include "platform/text_bridge.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

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

QString oneLine(std::string_view text)
{
    QString shown = platform::fromCore(text);
    shown.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return shown;
}

} // namespace tolvane::ui
