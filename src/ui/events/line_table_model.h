#pragma once

#include "dispatch/text_filter.h"

#include <QAbstractTableModel>

#include <string>
#include <string_view>
#include <vector>

namespace tolvane::ui {

// Lines of Windows-1252 text (queue entries, page-log lines) shown as a table whose columns the core cuts
// them into. The lines stay as the core holds them and a cell is converted only when the view draws it, so
// a log of many years shows at once. Qt::UserRole gives the key a column sorts by: the moment for the time
// and date columns, the text for the others.
class LineTableModel final : public QAbstractTableModel {
public:
    using CutColumn = std::string_view (*)(std::string_view line, int column);
    struct Layout {
        std::vector<std::string_view> headers;
        CutColumn cut;
        int timeColumn = -1; // the columns that sort as one moment; -1 for none
        int dateColumn = -1;
        int wordsColumn = -1; // a column a line's words may stand in for (the status in words)
    };

    LineTableModel(Layout layout, QObject* parent = nullptr);

    // `words`, one per line or none, shows in the words column where it is not empty.
    void setLines(std::vector<std::string> lines, std::vector<std::string> words = {});
    const std::vector<std::string>& words() const { return m_words; }
    const std::vector<std::string>& lines() const { return m_lines; }
    const std::string& line(int row) const { return m_lines.at(static_cast<std::size_t>(row)); }
    bool lineMatches(int row, const dispatch::TextFilter& filter) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::string_view cell(int row, int column) const;

    Layout m_layout;
    std::vector<std::string> m_lines;
    std::vector<std::string> m_words;
};

} // namespace tolvane::ui
