#pragma once

#include <QColor>
#include <QWidget>

class QLabel;
class QProgressBar;

namespace tolvane::dispatch {
class PagingDesk;
}
namespace tolvane::platform {
class DialogService;
}

namespace tolvane::ui {

class MessageEdit;

// "Message:" with the message box Text1, its character count Label1 and the gauge Gauge1. The desk holds
// the text and its limit; this panel shows them, colours the gauge and the text as the limit nears, and
// hands the operator's typing to the desk.
class MessagePanel : public QWidget {
    Q_OBJECT

public:
    MessagePanel(dispatch::PagingDesk& desk, platform::DialogService& dialogs, QWidget* parent = nullptr);
    ~MessagePanel() override;

    // Copies the desk's message, limit and gauge into the widgets.
    void sync();
    // A line for the operator where the message box stands while it is hidden (no recipients); empty for none.
    void showHint(const QString& text);
    // The keyboard goes to the message box, when it is shown.
    void focusMessage();

    QColor gaugeColour() const { return m_gaugeColour; }
    QColor textColour() const;

private:
    void onEdited();

    dispatch::PagingDesk& m_desk;
    platform::DialogService& m_dialogs;
    bool m_syncing = false;
    MessageEdit* m_message = nullptr;
    QLabel* m_hint = nullptr;
    QLabel* m_count = nullptr;
    QProgressBar* m_gauge = nullptr;
    QColor m_gaugeColour;
};

} // namespace tolvane::ui
