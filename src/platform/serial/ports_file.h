#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane::platform {

// PORTS.DAT as the configuration window edits it: the "COMMn=<device>" line of one port is set, and every
// other line (comments, lines of other kinds, lines nothing can read) is given back byte for byte. Reading
// ports follows the same rule as the port map: the last line for a port wins.
class PortsFile {
public:
    static constexpr int kPorts = 4;

    PortsFile() = default;
    explicit PortsFile(std::string text);
    // A missing file is an empty one. Throws store::StoreError when it exists but cannot be read.
    static PortsFile load(const std::filesystem::path& file);

    const std::string& text() const { return m_text; }

    // What the last line for port 1 to 4 names, without the blanks around it; nothing when no line does.
    std::optional<std::string> device(int port) const;
    // Rewrites the last line for the port as "COMMn=<device>", or adds one at the end in the file's own
    // line ends. Throws std::invalid_argument for a port outside 1 to 4, an empty device or one with a line
    // break in it.
    void setDevice(int port, std::string_view device);

    // Replaces the file in one step: a scratch file beside it is written, synced and renamed over it, so
    // the file is whole whatever happens. Throws store::StoreError when it cannot.
    void save(const std::filesystem::path& file) const;

private:
    std::string m_text;
};

} // namespace tolvane::platform
