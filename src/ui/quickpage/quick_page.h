#pragma once

#include "dispatch/canned_messages.h"
#include "store/data_folder.h"

#include <QWidget>

#include <memory>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace tolvane::dispatch {
class PagingDesk;
}
namespace tolvane::platform {
class DialogService;
}

namespace tolvane::ui {

// The Quick Page window: the canned messages of QUICK.DAT, which it keeps open while it is open. A canned
// message replaces the desk's message or is added to its end; the desk's message can be kept as a new
// canned message. The window is unloaded (deleted) when it closes and reads the file afresh next time.
//
// Wiring in the program (the main window's "&Canned Messages" command, F6, toolbar key "Canned"):
//     window.setCompanionWindow(MainWindow::Companion::CannedMessages,
//         [&] { return new QuickPage(window.desk(), window.dataFolder(), dialogs, &window); });
class QuickPage final : public QWidget {
    Q_OBJECT

public:
    QuickPage(dispatch::PagingDesk& desk, const store::DataFolder& folder, platform::DialogService& dialogs,
        QWidget* parent = nullptr);
    ~QuickPage() override;

    void insertIntoMessage(); // "&Insert Into Current Message"
    void useAsMessage(); // "&Use Quick Page As Message", also a double click in the list
    void deleteMessage(); // "&Delete From Quick List"
    void addMessage(); // "&Add To Quick List"
    void getCurrentMessage(); // "&Get Current Message"
    void closeWindow(); // "&OK": closes, which unloads the window

    // QUICK.DAT is held open.
    bool fileOpen() const { return m_canned && m_canned->isOpen(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void loadMessages();
    void putIntoMessage(const std::string& text);

    dispatch::PagingDesk& m_desk;
    const store::DataFolder& m_folder;
    platform::DialogService& m_dialogs;
    std::unique_ptr<dispatch::CannedMessages> m_canned;

    QListWidget* m_list = nullptr;
    QLineEdit* m_text = nullptr;
    QPushButton* m_insert = nullptr;
    QPushButton* m_use = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_add = nullptr;
};

} // namespace tolvane::ui
