#pragma once

#include <QAbstractListModel>

#include <string>
#include <vector>

namespace tolvane::ui {

// The page log's lines for a list view, one row per LOG.DAT line in file order. The lines stay as the core
// read them (Windows-1252); a row is converted only when the view draws it, so a log of many years shows
// at once.
class LogListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    void setLines(std::vector<std::string> lines);
    void clear() { setLines({}); }
    const std::string& line(int row) const { return m_lines.at(static_cast<std::size_t>(row)); }

    int rowCount(const QModelIndex& parent = {}) const override;
    // A line break inside a record shows as a blank, so every record stays one row and keeps its columns.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    std::vector<std::string> m_lines;
};

} // namespace tolvane::ui
