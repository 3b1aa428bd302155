#pragma once

#include <QString>

#include <string_view>

class QGridLayout;
class QLineEdit;
class QWidget;

namespace tolvane::ui {

// A caption and a text box for one column of the selected entry, placed in a grid at (row, column * 2).
QLineEdit* addDetailBox(QGridLayout* grid, int row, int column, const char* name, const QString& caption,
    bool readOnly, int span = 1);

// A column's text for a one-line box: line breaks inside a log record show as blanks.
QString oneLine(std::string_view text);

} // namespace tolvane::ui
