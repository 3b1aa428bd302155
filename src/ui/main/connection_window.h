#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace tolvane::ui {

// "View Connection...": the running transcript of what a paging call sends and receives. The engine
// writes to it whether it is shown or not; it is emptied when the next call starts. It first appears
// centred, a little below the middle of the screen; it is never maximised: asked to, it becomes a
// full-height strip at the left edge of the screen instead.
class ConnectionWindow : public QWidget {
    Q_OBJECT

public:
    explicit ConnectionWindow(QWidget* parent = nullptr);

    void appendLine(const QString& line);
    void clear();
    QString text() const;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void placeFirstTime();
    void placeAsStrip();

    QPlainTextEdit* m_text;
    bool m_placed = false;
};

} // namespace tolvane::ui
