#pragma once

#include "store/record_file.h"
#include "store/store_error.h"
#include "testkit/temp_folder.h"

#include <string>
#include <string_view>

using tolvane::testkit::TempFolder;

// While it lives, the `nth` pass through a named point of the store's file replacements ("scratch-written",
// "renaming") fails as a full disk or a dropped share would fail there.
class InjectedStoreFailure {
public:
    InjectedStoreFailure(const char* point, int nth, int number, const char* description)
    {
        s_point = point;
        s_passesLeft = nth;
        s_error = tolvane::store::StoreError(number, description);
        tolvane::store::setReplaceTestHook(&pass);
    }
    ~InjectedStoreFailure() { tolvane::store::setReplaceTestHook(nullptr); }
    InjectedStoreFailure(const InjectedStoreFailure&) = delete;
    InjectedStoreFailure& operator=(const InjectedStoreFailure&) = delete;

private:
    static void pass(const char* point)
    {
        if (std::string_view(point) == s_point && --s_passesLeft == 0)
            throw s_error;
    }
    static inline std::string_view s_point;
    static inline int s_passesLeft = 0;
    static inline tolvane::store::StoreError s_error { 0, "" };
};

// Text blank padded to a field's width, written out here rather than taken from the code under test.
inline std::string padded(std::string_view text, std::size_t width)
{
    std::string out(text);
    out.resize(width, ' ');
    return out;
}

// The 160 bytes of a user record.
inline std::string userBytes(std::string_view name, std::string_view pager = "1", std::string_view flags = "0000000000")
{
    return padded(name, 25) + padded(pager, 100) + padded("Ravenpage", 25) + padded(flags, 10);
}
