#pragma once

#include "store/record_file.h"
#include "store/store_error.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

// A throwaway folder per test, removed afterwards, with byte-exact file helpers.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tolvane-store-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / std::string(name); }

    void write(std::string_view name, std::string_view bytes) const
    {
        std::ofstream out(m_path / std::string(name), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string read(std::string_view name) const
    {
        std::ifstream in(m_path / std::string(name), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    bool exists(std::string_view name) const { return std::filesystem::exists(m_path / std::string(name)); }
    // Everything in the folder: left-over scratch files show up here.
    int fileCount() const
    {
        int n = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_path))
            ++n;
        return n;
    }

private:
    std::filesystem::path m_path;
};

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
