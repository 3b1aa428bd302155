#pragma once

#include "dispatch/text_filter.h"

#include <QSortFilterProxyModel>
#include <QWidget>

#include <initializer_list>

class QLabel;
class QLineEdit;
class QTableView;

namespace tolvane::ui {

class LineTableModel;

// One of the Events window's lists: a filter box above a table of lines. What the operator types is found in
// any column, without regard to case, as it is typed; when nothing matches the table says so. A line the
// filter hides is never left selected, and the header sorts the view (a third click gives back the list's own
// order) while the list itself keeps its order. Lines are named by their row in the model throughout.
class FilteredTable final : public QWidget {
    Q_OBJECT

public:
    struct Names {
        const char* table;
        const char* filter;
        const char* noMatch;
    };
    FilteredTable(LineTableModel* model, Names names, bool sortable, QWidget* parent = nullptr);

    QTableView* view() const { return m_view; }
    QLineEdit* filterBox() const { return m_filter; }
    // How many lines the filter lets through.
    int shownLineCount() const { return m_proxy->rowCount(); }
    // The line the operator has selected, -1 for none.
    int currentLine() const;
    // Selects a line quietly (the caller shows it); false, with nothing selected, for -1 or a line the filter hides.
    bool setCurrentLine(int line);
    // The first columns' widths, each as wide as a sample text.
    void setColumnWidths(std::initializer_list<const char*> samples);
    // After the model was filled again: the "nothing matches" note follows.
    void linesChanged();

Q_SIGNALS:
    void currentLineChanged(int line);

private:
    class Proxy final : public QSortFilterProxyModel {
    public:
        using QSortFilterProxyModel::QSortFilterProxyModel;
        void setFilterText(const QString& text);

    protected:
        bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

    private:
        dispatch::TextFilter m_text;
        bool m_matchesNothing = false; // the text has characters no line can hold
    };

    void applyFilter(const QString& text);

    LineTableModel* m_model;
    Proxy* m_proxy;
    QLineEdit* m_filter = nullptr;
    QLabel* m_noMatch = nullptr;
    QTableView* m_view = nullptr;
};

} // namespace tolvane::ui
