#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace tolvane::ui {

// "View Connection...": the running transcript of what a paging call sends and receives. The engine
// writes to it whether it is shown or not; it is emptied when the next call starts.
class ConnectionWindow : public QWidget {
    Q_OBJECT

public:
    explicit ConnectionWindow(QWidget* parent = nullptr);

    void appendLine(const QString& line);
    void clear();
    QString text() const;

private:
    QPlainTextEdit* m_text;
};

} // namespace tolvane::ui
