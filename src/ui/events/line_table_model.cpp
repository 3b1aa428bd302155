#include "ui/events/line_table_model.h"

#include "dispatch/entry_columns.h"
#include "platform/text_bridge.h"
#include "ui/events/detail_boxes.h"

namespace tolvane::ui {

LineTableModel::LineTableModel(Layout layout, QObject* parent)
    : QAbstractTableModel(parent)
    , m_layout(std::move(layout))
{
}

void LineTableModel::setLines(std::vector<std::string> lines, std::vector<std::string> words)
{
    beginResetModel();
    m_lines = std::move(lines);
    m_words = std::move(words);
    endResetModel();
}

std::string_view LineTableModel::cell(int row, int column) const
{
    const auto at = static_cast<std::size_t>(row);
    if (column == m_layout.wordsColumn && at < m_words.size() && !m_words[at].empty())
        return m_words[at];
    return m_layout.cut(line(row), column);
}

bool LineTableModel::lineMatches(int row, const dispatch::TextFilter& filter) const
{
    return filter.foundInAny(columnCount(), [&](int column) { return cell(row, column); });
}

int LineTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

int LineTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_layout.headers.size());
}

QVariant LineTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int row = index.row();
    const int column = index.column();
    if (role == Qt::UserRole && (column == m_layout.timeColumn || column == m_layout.dateColumn)) {
        const auto key = dispatch::momentKey(cell(row, m_layout.timeColumn), cell(row, m_layout.dateColumn));
        return key ? QVariant(static_cast<qlonglong>(*key)) : QVariant(qlonglong(-1));
    }
    if (role == Qt::DisplayRole || role == Qt::UserRole)
        return oneLine(cell(row, column));
    // The status in words may be longer than its column shows.
    if (role == Qt::ToolTipRole && column == m_layout.wordsColumn)
        return oneLine(cell(row, column));
    return {};
}

QVariant LineTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    return platform::fromCore(m_layout.headers[static_cast<std::size_t>(section)]);
}

} // namespace tolvane::ui
