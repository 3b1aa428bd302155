#include "ui/directory/directory_tab.h"

#include "engine/serial_messages.h"
#include "platform/dialog_service.h"
#include "platform/text_bridge.h"
#include "store/store_error.h"
#include "ui/directory/directory_widgets.h"
#include "ui/search/search_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvane::ui {

DirectoryTab::DirectoryTab(
    const QString& frameName, const store::DataFolder& folder, platform::DialogService& dialogs, QWidget* parent)
    : QWidget(parent)
    , m_folder(folder)
    , m_dialogs(dialogs)
{
    setObjectName(frameName);
}

void DirectoryTab::leave()
{
    closeFiles();
    if (m_search)
        m_search->close();
}

void DirectoryTab::reload()
{
    closeFiles();
    fill();
}

void DirectoryTab::requestRefresh()
{
    if (m_busy) {
        m_refreshPending = true;
        return;
    }
    m_busy = true;
    try {
        refresh();
    } catch (const std::exception&) {
        // Said at the operator's next command, which reads the files again.
    }
    m_busy = false;
}

void DirectoryTab::guarded(const std::function<void()>& command)
{
    const bool outermost = !std::exchange(m_busy, true);
    try {
        command();
    } catch (const std::exception& error) {
        if (!m_folder.directoryReachable()) {
            tell(m_folder.unreachableText());
        } else {
            const auto* storeError = dynamic_cast<const store::StoreError*>(&error);
            // 51: an internal error, for failures that carry no number of their own.
            const int number = storeError ? storeError->number() : 51;
            m_dialogs.message(platform::fromCore(engine::generalErrorMessage(number, "Tolvane", error.what(), false)),
                QStringLiteral("Error"));
        }
    }
    if (outermost) {
        m_busy = false;
        if (std::exchange(m_refreshPending, false))
            requestRefresh();
    }
}

bool DirectoryTab::settle(bool written, bool changedUnderneath, std::string_view message)
{
    if (written)
        Q_EMIT changed();
    else
        tell(message);
    if (written || changedUnderneath)
        reload();
    return written;
}

int DirectoryTab::rowOf(const QListWidget* list, const QString& entry)
{
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->text() == entry)
            return row;
    }
    return -1;
}

void DirectoryTab::setEntries(QListWidget* list, const QStringList& names)
{
    const QSignalBlocker quiet(list);
    list->clear();
    list->addItems(names);
}

int DirectoryTab::rowInFile(QListWidget* list, int row, const QStringList& names)
{
    const QString entry = list->item(row) ? list->item(row)->text() : QString();
    if (row >= 0 && row < names.size() && names[row] == entry)
        return row;
    setEntries(list, names);
    const int now = rowOf(list, entry);
    selectQuietly(list, now);
    return now;
}

void DirectoryTab::tell(std::string_view text)
{
    m_dialogs.message(platform::fromCore(text));
}

void DirectoryTab::openSearch(
    const QString& name, const QString& caption, QListWidget* list, std::function<void(int)> show)
{
    if (!m_search) {
        m_search = new SearchDialog(name, caption, window());
        m_search->setTarget([list] { return list->count(); }, [list](int row) { return list->item(row)->text(); },
            [this, list, show = std::move(show)](int row) {
                selectQuietly(list, row);
                list->scrollToItem(list->item(row));
                guarded([&] { show(row); });
            });
    }
    m_search->show();
    m_search->raise();
    m_search->activateWindow();
}

void DirectoryTab::onEntryClick(QListWidget* list, const EditButtons& buttons, std::function<void(int)> click)
{
    connect(list, &QListWidget::currentRowChanged, this, click);
    connect(list, &QListWidget::itemClicked, this, [list, &buttons, click](QListWidgetItem* item) {
        if (buttons.state() != EditState::Viewing)
            click(list->row(item));
    });
}

void DirectoryTab::selectQuietly(QListWidget* list, int row)
{
    const QSignalBlocker quiet(list);
    list->setCurrentRow(row);
}

QLineEdit* DirectoryTab::lineEdit(const QString& name, int maxLength, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaxLength(maxLength);
    return edit;
}

QPushButton* DirectoryTab::arrange(const QString& title, QListWidget* list, QLabel* count, QLayout* boxes,
    EditButtons& buttons, const QString& searchName)
{
    auto* listColumn = new QVBoxLayout;
    auto* label = new QLabel(title, this);
    label->setBuddy(list);
    listColumn->addWidget(label);
    listColumn->addWidget(list, 1);
    listColumn->addWidget(count);

    QPushButton* search = nullptr;
    if (!searchName.isEmpty()) {
        search = new QPushButton(QStringLiteral("Searc&h"), this);
        search->setObjectName(searchName);
        search->setAutoDefault(false);
        buttons.column()->addSpacing(12);
        buttons.column()->addWidget(search);
    }
    buttons.column()->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(listColumn, 1);
    layout->addLayout(boxes, 2);
    layout->addLayout(buttons.column());
    return search;
}

} // namespace tolvane::ui
