#pragma once

#include <QPlainTextEdit>

namespace tolvane::ui {

// The message box: one paragraph that wraps, never longer than the message length limit. Return is
// refused (the window shows why) and pasted line breaks become blanks, so a message stays on one line.
class MessageEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit MessageEdit(QWidget* parent = nullptr);

    int maxLength() const { return m_maxLength; }
    // Cuts a longer text at once.
    void setMaxLength(int length);

    // The length as the page will carry it: one character per Windows-1252 byte.
    static int pageLength(const QString& text);

Q_SIGNALS:
    void returnRefused();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    int room() const;
    void enforceLimit();

    int m_maxLength = 80;
};

} // namespace tolvane::ui
