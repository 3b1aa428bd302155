#include "ui/search/search_dialog.h"

#include <QAbstractItemView>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

namespace tolvane::ui {

int findByPrefix(int count, const std::function<QString(int)>& entryAt, const QString& text, int from)
{
    for (int i = 0; i < count; ++i) {
        if (QStringView(entryAt(i)).mid(from).startsWith(text, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

SearchDialog::SearchDialog(const QString& objectName, const QString& caption, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setModal(false);
    // Closing unloads the dialog: the next search starts from an empty box.
    setAttribute(Qt::WA_DeleteOnClose);

    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setMinimumWidth(m_text->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 22);
    auto* done = new QPushButton(QStringLiteral("&Done"), this);
    done->setObjectName(QStringLiteral("BDONE"));
    done->setAutoDefault(false);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addWidget(done);

    connect(m_text, &QLineEdit::textChanged, this, &SearchDialog::search);
    // Enter keeps the selection the typing made and closes.
    connect(m_text, &QLineEdit::returnPressed, this, &QDialog::accept);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);

    adjustSize();
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void SearchDialog::setTarget(
    std::function<int()> count, std::function<QString(int)> entryAt, std::function<void(int)> select, int from)
{
    m_count = std::move(count);
    m_entryAt = std::move(entryAt);
    m_select = std::move(select);
    m_from = from;
}

void SearchDialog::searchList(QListWidget* list, int from)
{
    const QPointer<QListWidget> target(list);
    setTarget([target] { return target ? target->count() : 0; },
        [target](int row) { return target ? target->item(row)->text() : QString(); },
        [target](int row) {
            if (!target)
                return;
            target->setCurrentRow(row);
            target->scrollToItem(target->item(row));
        },
        from);
}

void SearchDialog::searchView(QAbstractItemView* view, int column, int from)
{
    const QPointer<QAbstractItemView> target(view);
    setTarget([target] { return target && target->model() ? target->model()->rowCount() : 0; },
        [target, column](int row) { return target->model()->index(row, column).data().toString(); },
        [target](int row) {
            if (!target)
                return;
            const QModelIndex index = target->model()->index(row, 0);
            target->setCurrentIndex(index);
            target->scrollTo(index);
        },
        from);
}

void SearchDialog::search(const QString& text)
{
    if (!m_count || !m_entryAt || !m_select)
        return;
    // No match leaves the selection where it was.
    const int found = findByPrefix(m_count(), m_entryAt, text, m_from);
    if (found >= 0)
        m_select(found);
}

} // namespace tolvane::ui
