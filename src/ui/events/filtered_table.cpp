#include "ui/events/filtered_table.h"

#include "platform/text_bridge.h"
#include "ui/events/line_table_model.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

namespace tolvane::ui {

void FilteredTable::Proxy::setFilterText(const QString& text)
{
    const std::string cp1252 = platform::toCore(text);
    m_matchesNothing = platform::fromCore(cp1252) != text;
    m_text = dispatch::TextFilter(cp1252);
    invalidateFilter();
}

bool FilteredTable::Proxy::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    return !m_matchesNothing && static_cast<const LineTableModel*>(sourceModel())->lineMatches(sourceRow, m_text);
}

FilteredTable::FilteredTable(LineTableModel* model, Names names, bool sortable, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_proxy(new Proxy(this))
{
    m_proxy->setSourceModel(model);
    m_proxy->setSortRole(Qt::UserRole);
    m_proxy->setSortCaseSensitivity(Qt::CaseInsensitive);

    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QString::fromLatin1(names.filter));
    m_filter->setPlaceholderText(QStringLiteral("Filter: type any part of any column"));
    m_filter->setClearButtonEnabled(true);
    m_noMatch = new QLabel(this);
    m_noMatch->setObjectName(QString::fromLatin1(names.noMatch));
    m_noMatch->setVisible(false);

    m_view = new QTableView(this);
    m_view->setObjectName(QString::fromLatin1(names.table));
    m_view->setModel(m_proxy);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setWordWrap(false);
    m_view->setAlternatingRowColors(true);
    // Every row has the same height: the view never measures a long log line by line.
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 6);
    QHeaderView* header = m_view->horizontalHeader();
    header->setStretchLastSection(true);
    header->setHighlightSections(false);
    if (sortable) {
        header->setSortIndicatorClearable(true);
        header->setSortIndicator(-1, Qt::AscendingOrder);
        m_view->setSortingEnabled(true);
    }

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(m_filter, 1);
    filterRow->addWidget(m_noMatch);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(filterRow);
    layout->addWidget(m_view, 1);

    connect(m_filter, &QLineEdit::textChanged, this, &FilteredTable::applyFilter);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this] { Q_EMIT currentLineChanged(currentLine()); });
}

int FilteredTable::currentLine() const
{
    const QModelIndex current = m_view->selectionModel()->currentIndex();
    return current.isValid() ? m_proxy->mapToSource(current).row() : -1;
}

bool FilteredTable::setCurrentLine(int line)
{
    const QModelIndex shown
        = line >= 0 && line < m_model->rowCount() ? m_proxy->mapFromSource(m_model->index(line, 0)) : QModelIndex();
    const QSignalBlocker blocker(m_view->selectionModel());
    if (!shown.isValid()) {
        m_view->selectionModel()->clear();
        m_view->viewport()->update();
        return false;
    }
    m_view->selectionModel()->setCurrentIndex(shown, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_view->scrollTo(shown);
    m_view->viewport()->update();
    return true;
}

void FilteredTable::setColumnWidths(std::initializer_list<const char*> samples)
{
    int column = 0;
    for (const char* sample : samples)
        m_view->setColumnWidth(column++, m_view->fontMetrics().horizontalAdvance(QString::fromLatin1(sample)) + 16);
}

void FilteredTable::linesChanged()
{
    const bool nothing = !m_filter->text().isEmpty() && m_proxy->rowCount() == 0;
    m_noMatch->setText(nothing ? QStringLiteral("No match") : QString());
    m_noMatch->setVisible(nothing);
}

void FilteredTable::applyFilter(const QString& text)
{
    // Filtering moves the current row of a hidden line to a neighbour: take the selection off first, and
    // give it back only to the same line.
    const int line = currentLine();
    {
        const QSignalBlocker blocker(m_view->selectionModel());
        m_view->selectionModel()->clear();
        m_proxy->setFilterText(text);
    }
    const bool kept = line >= 0 && setCurrentLine(line);
    linesChanged();
    if (line >= 0 && !kept)
        Q_EMIT currentLineChanged(-1);
}

} // namespace tolvane::ui
