#pragma once

#include <QDialog>

namespace tolvane::ui {

// "About": the program's name and version, what it does, and the practice line.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(bool practice, QWidget* parent = nullptr);
};

} // namespace tolvane::ui
