#include "ui/main/toolbar_customize_dialog.h"

#include "ui/main/command_table.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tolvane::ui {
namespace {

const QString kSeparator = QString::fromLatin1(kSeparatorKey);

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

ToolbarCustomizeDialog::ToolbarCustomizeDialog(
    std::vector<Button> buttons, QStringList design, QStringList current, QWidget* parent)
    : QDialog(parent)
    , m_buttons(std::move(buttons))
    , m_design(std::move(design))
    , m_current(std::move(current))
{
    setObjectName(QStringLiteral("CustomizeToolbar"));
    setWindowTitle(QStringLiteral("Customize Toolbar"));
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);

    m_available = new QListWidget(this);
    m_available->setObjectName(QStringLiteral("AvailableButtons"));
    m_onToolbar = new QListWidget(this);
    m_onToolbar->setObjectName(QStringLiteral("ToolbarButtons"));
    for (QListWidget* list : { m_available, m_onToolbar }) {
        list->setIconSize(QSize(16, 16));
        list->setMinimumSize(230, 300);
    }

    QPushButton* add = makeButton(this, "BADD", QStringLiteral("&Add ->"));
    QPushButton* remove = makeButton(this, "BREMOVE", QStringLiteral("<- &Remove"));
    QPushButton* up = makeButton(this, "BUP", QStringLiteral("Move &Up"));
    QPushButton* down = makeButton(this, "BDOWN", QStringLiteral("Move &Down"));
    QPushButton* resetButton = makeButton(this, "BRESET", QStringLiteral("R&eset"));
    QPushButton* close = makeButton(this, "BCLOSE", QStringLiteral("&Close"));
    close->setDefault(true);
    connect(add, &QPushButton::clicked, this, &ToolbarCustomizeDialog::addSelected);
    connect(remove, &QPushButton::clicked, this, &ToolbarCustomizeDialog::removeSelected);
    connect(up, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(down, &QPushButton::clicked, this, [this] { moveSelected(1); });
    connect(resetButton, &QPushButton::clicked, this, &ToolbarCustomizeDialog::reset);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_available, &QListWidget::itemActivated, this, &ToolbarCustomizeDialog::addSelected);
    connect(m_onToolbar, &QListWidget::itemActivated, this, &ToolbarCustomizeDialog::removeSelected);

    auto* middle = new QVBoxLayout;
    middle->addStretch();
    middle->addWidget(add);
    middle->addWidget(remove);
    middle->addStretch();
    auto* side = new QVBoxLayout;
    side->addWidget(close);
    side->addWidget(resetButton);
    side->addSpacing(12);
    side->addWidget(up);
    side->addWidget(down);
    side->addStretch();

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("A&vailable buttons:"), this), 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("&Toolbar buttons:"), this), 0, 2);
    layout->addWidget(m_available, 1, 0);
    layout->addLayout(middle, 1, 1);
    layout->addWidget(m_onToolbar, 1, 2);
    layout->addLayout(side, 1, 3);
    qobject_cast<QLabel*>(layout->itemAtPosition(0, 0)->widget())->setBuddy(m_available);
    qobject_cast<QLabel*>(layout->itemAtPosition(0, 2)->widget())->setBuddy(m_onToolbar);

    fillLists(0);
}

const ToolbarCustomizeDialog::Button* ToolbarCustomizeDialog::buttonFor(const QString& key) const
{
    for (const Button& button : m_buttons) {
        if (button.key == key)
            return &button;
    }
    return nullptr;
}

void ToolbarCustomizeDialog::fillLists(int selectRow)
{
    auto addItem = [this](QListWidget* list, const QString& key) {
        const Button* button = buttonFor(key);
        auto* item = new QListWidgetItem(button ? button->description : QStringLiteral("Separator"), list);
        if (button)
            item->setIcon(button->icon);
        item->setData(Qt::UserRole, key);
    };
    m_available->clear();
    // A separator may be added any number of times; every other button once.
    addItem(m_available, kSeparator);
    for (const Button& button : m_buttons) {
        if (!m_current.contains(button.key))
            addItem(m_available, button.key);
    }
    m_available->setCurrentRow(0);
    m_onToolbar->clear();
    for (const QString& key : m_current)
        addItem(m_onToolbar, key);
    if (m_onToolbar->count() > 0)
        m_onToolbar->setCurrentRow(std::clamp(selectRow, 0, m_onToolbar->count() - 1));
}

void ToolbarCustomizeDialog::change(QStringList keys, int selectRow)
{
    m_current = std::move(keys);
    fillLists(selectRow);
    Q_EMIT layoutChanged(m_current);
}

void ToolbarCustomizeDialog::addSelected()
{
    const QListWidgetItem* chosen = m_available->currentItem();
    if (!chosen)
        return;
    // The new button goes before the selected one on the toolbar, as on the toolbar itself.
    const int at = m_onToolbar->currentRow() >= 0 ? m_onToolbar->currentRow() : static_cast<int>(m_current.size());
    QStringList keys = m_current;
    keys.insert(at, chosen->data(Qt::UserRole).toString());
    change(keys, at);
}

void ToolbarCustomizeDialog::removeSelected()
{
    const int row = m_onToolbar->currentRow();
    if (row < 0)
        return;
    QStringList keys = m_current;
    keys.removeAt(row);
    change(keys, row);
}

void ToolbarCustomizeDialog::moveSelected(int step)
{
    const int row = m_onToolbar->currentRow();
    const int to = row + step;
    if (row < 0 || to < 0 || to >= static_cast<int>(m_current.size()))
        return;
    QStringList keys = m_current;
    keys.move(row, to);
    change(keys, to);
}

void ToolbarCustomizeDialog::reset()
{
    change(m_design, 0);
}

} // namespace tolvane::ui
