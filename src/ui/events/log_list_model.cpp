#include "ui/events/log_list_model.h"

#include "ui/events/detail_boxes.h"

namespace tolvane::ui {

void LogListModel::setLines(std::vector<std::string> lines)
{
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
}

int LogListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

QVariant LogListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    return oneLine(line(index.row()));
}

} // namespace tolvane::ui
