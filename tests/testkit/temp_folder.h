#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tolvane::testkit {

// A file's bytes; empty when there is no such file.
inline std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A throwaway folder, removed with everything in it when it goes, even after a test took away its permissions.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tolvane-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder");
        m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / std::string(name); }

    void write(std::string_view name, std::string_view bytes) const
    {
        std::ofstream(*this / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string read(std::string_view name) const { return readFile(*this / name); }
    bool exists(std::string_view name) const { return std::filesystem::exists(*this / name); }
    // Everything in the folder: left-over scratch files show up here.
    int fileCount() const
    {
        const std::filesystem::directory_iterator entries(m_path);
        return static_cast<int>(std::distance(begin(entries), end(entries)));
    }

private:
    std::filesystem::path m_path;
};

} // namespace tolvane::testkit
