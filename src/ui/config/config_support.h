#pragma once

#include "store/data_folder.h"
#include "store/record_file.h"

#include <QString>

class QPushButton;
class QWidget;

#include <exception>
#include <memory>
#include <string_view>

namespace tolvane::platform {
class DialogService;
}

// Small pieces the configuration window's tabs share.
namespace tolvane::ui {

// A data file that could not be opened, read or written: the program's general error box, titled "Error".
void showFileError(platform::DialogService& dialogs, const std::exception& error);

// A button of a tab's button row: never the default button, so Enter in a box does not press it.
QPushButton* tabButton(const QString& caption, const char* objectName, QWidget* parent);

// Opens the record type's file into `file` unless it is open already (a tab keeps its files open while it
// is shown). Throws store::StoreError.
template <class Record> void keepOpen(std::unique_ptr<store::RecordFile>& file, const store::DataFolder& folder)
{
    if (!file)
        file = std::make_unique<store::RecordFile>(folder.pathOf<Record>(), Record::kLength);
}

// A stored text field as its box shows it.
QString shownText(std::string_view stored);

} // namespace tolvane::ui
