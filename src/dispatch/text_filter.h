#pragma once

#include <string>
#include <string_view>

namespace tolvane::dispatch {

// What the operator types into a list's filter box: found anywhere in a text, without regard to case,
// the accented letters of Windows-1252 included ("É" finds "é"). An empty filter finds everything.
class TextFilter {
public:
    explicit TextFilter(std::string_view cp1252 = {});

    bool empty() const { return m_folded.empty(); }
    bool foundIn(std::string_view cp1252) const;
    // Whether it is found in any of `count` columns, `column(i)` giving column i.
    template <class Column> bool foundInAny(int count, Column column) const
    {
        if (empty())
            return true;
        for (int i = 0; i < count; ++i)
            if (foundIn(column(i)))
                return true;
        return false;
    }

private:
    std::string m_folded;
};

} // namespace tolvane::dispatch
