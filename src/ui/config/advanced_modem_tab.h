#pragma once

#include "engine/pacing.h"
#include "store/data_folder.h"

#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;
class QLineEdit;

namespace tolvane::platform {
class DialogService;
}

namespace tolvane::store {
class RecordFile;
}

namespace tolvane::ui {

// "Advanced Modem Setup": the modem strings a paging call uses instead of the modem type's commands for a
// company of one line speed (ADVANCE.DAT, kept open while the tab is shown), this workstation's pacing
// (kept apart from the data files, see platform/workstation_settings.h), and the window's "&Done".
class AdvancedModemTab : public QWidget {
    Q_OBJECT

public:
    AdvancedModemTab(const store::DataFolder& folder, platform::DialogService& dialogs, QWidget* parent = nullptr);
    ~AdvancedModemTab() override;

    // AdvancedView: opens ADVANCE.DAT and shows its six strings.
    void AdvancedView();
    void closeFiles();
    bool filesOpen() const { return m_file != nullptr; }

    // Saves the pacing and the strings and closes the file; a later save opens it again.
    void saveAdvanced();

Q_SIGNALS:
    // A save changed this workstation's pacing; the paging call takes it for its next call.
    void pacingChanged(tolvane::engine::Pacing pacing);
    // "&Done" (Command1): the window closes its files and goes.
    void doneClicked();

private:
    bool openFile();

    store::DataFolder m_folder;
    platform::DialogService& m_dialogs;
    std::unique_ptr<store::RecordFile> m_file;
    std::array<QLineEdit*, 6> m_strings {};
    QCheckBox* m_promptPacing;
};

} // namespace tolvane::ui
