#pragma once

#include <QString>

#include <string_view>

class QBoxLayout;
class QGridLayout;
class QHBoxLayout;
class QLineEdit;
class QPushButton;

namespace tolvane::ui {

// A caption and a text box for one column of the selected entry, placed in a grid at (row, column * 2).
QLineEdit* addDetailBox(
    QGridLayout* grid, int row, int column, const char* name, const QString& caption, bool readOnly, int span = 1);

// The design's panels, added to a tab's layout: a frame without margins holding a grid of boxes, or a
// row of buttons.
QGridLayout* addBoxPanel(QBoxLayout* layout, const char* name);
QHBoxLayout* addButtonPanel(QBoxLayout* layout, const char* name);
// A button that leaves the Enter key alone.
QPushButton* addButton(QBoxLayout* row, const char* name, const QString& caption);

// A column's text for a one-line box: line breaks inside a log record show as blanks.
QString oneLine(std::string_view text);

} // namespace tolvane::ui
