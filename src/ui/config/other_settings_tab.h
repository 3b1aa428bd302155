#pragma once

#include "dispatch/page_tries.h"
#include "store/data_folder.h"
#include "store/settings.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace tolvane::platform {
class DialogService;
}

namespace tolvane::ui {

// "Other Settings": the program options of SETTINGS.DAT. Showing the tab and saving it both refresh the
// program's running settings; the large-icons box swaps the main window's toolbars at once, but stores
// its choice only with the rest, on save. "Try failed pages again" is this workstation's own, kept beside
// the pacing box outside the data files.
class OtherSettingsTab : public QWidget {
    Q_OBJECT

public:
    OtherSettingsTab(const store::DataFolder& folder, platform::DialogService& dialogs, QWidget* parent = nullptr);

    // ConfigView: shows record 1 and hands it to the program as its running settings.
    void ConfigView();
    void saveSettings();

Q_SIGNALS:
    void runningSettingsChanged(const tolvane::store::RunningSettings& settings);
    void largeIconsToggled(bool large);
    // Saved with a change: the desk tries failed pages again (or not) from now on.
    void retryPolicyChanged(const tolvane::dispatch::RetryPolicy& policy);
    // "&Done" (BDONE): the window closes its files and goes.
    void doneClicked();

private:
    void refreshRunningSettings();
    dispatch::RetryPolicy shownRetryPolicy() const;
    void showRetryPolicy(const dispatch::RetryPolicy& policy);

    store::DataFolder m_folder;
    platform::DialogService& m_dialogs;
    std::array<QCheckBox*, 5> m_options {};
    QLineEdit* m_prefix;
    QLineEdit* m_suffix;
    QCheckBox* m_tryAgain;
    QSpinBox* m_tries;
    QSpinBox* m_firstWait;
    QPushButton* m_save;
};

} // namespace tolvane::ui
