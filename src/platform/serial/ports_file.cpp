#include "platform/serial/ports_file.h"

#include "platform/serial/text_fields.h"
#include "store/data_file.h"
#include "store/store_error.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::platform {
namespace {

constexpr int kPathAccessError = 75;

struct Line {
    std::string_view body; // without its line end
    std::string_view end; // "\n", "\r\n" or nothing
};

std::vector<Line> linesOf(std::string_view text)
{
    std::vector<Line> lines;
    while (!text.empty()) {
        const auto newline = text.find('\n');
        std::string_view whole = newline == std::string_view::npos ? text : text.substr(0, newline + 1);
        text.remove_prefix(whole.size());
        std::size_t endLength = 0;
        if (whole.ends_with("\r\n"))
            endLength = 2;
        else if (whole.ends_with('\n'))
            endLength = 1;
        lines.push_back({ whole.substr(0, whole.size() - endLength), whole.substr(whole.size() - endLength) });
    }
    return lines;
}

// The port a "COMMn = device" line sets (keys in any case, blanks around the parts), or 0 for any other line.
int portOfLine(std::string_view body, std::string_view* device = nullptr)
{
    const auto equals = body.find('=');
    if (equals == std::string_view::npos)
        return 0;
    const auto key = trimBlanks(body.substr(0, equals));
    const auto value = trimBlanks(body.substr(equals + 1));
    if (key.size() != 5 || value.empty())
        return 0;
    for (std::size_t i = 0; i < 4; ++i) {
        if ((key[i] & ~0x20) != "COMM"[i])
            return 0;
    }
    const int port = key[4] - '0';
    if (port < 1 || port > PortsFile::kPorts)
        return 0;
    if (device)
        *device = value;
    return port;
}

[[noreturn]] void failToWrite(const std::filesystem::path& file, int error)
{
    throw store::StoreError(kPathAccessError, "Cannot write " + file.string() + " (" + std::strerror(error) + ')');
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const auto written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

PortsFile::PortsFile(std::string text)
    : m_text(std::move(text))
{
}

PortsFile PortsFile::load(const std::filesystem::path& file)
{
    auto text = store::readDataFile(file);
    return text ? PortsFile(std::move(*text)) : PortsFile();
}

std::optional<std::string> PortsFile::device(int port) const
{
    std::optional<std::string> found;
    for (const Line& line : linesOf(m_text)) {
        std::string_view device;
        if (portOfLine(line.body, &device) == port)
            found = std::string(device);
    }
    return found;
}

void PortsFile::setDevice(int port, std::string_view device)
{
    if (port < 1 || port > kPorts)
        throw std::invalid_argument("There is no port COMM" + std::to_string(port));
    device = trimBlanks(device);
    if (device.empty() || device.find_first_of("\r\n") != std::string_view::npos)
        throw std::invalid_argument("A port's device must be a path on one line");
    const std::string newLine = "COMM" + std::to_string(port) + '=' + std::string(device);

    const auto lines = linesOf(m_text);
    std::size_t last = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (portOfLine(lines[i].body) == port)
            last = i;
    }
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += i == last ? std::string_view(newLine) : lines[i].body;
        text += lines[i].end;
    }
    if (last == lines.size()) {
        const bool crLf = !lines.empty() && lines.front().end == "\r\n";
        if (!lines.empty() && lines.back().end.empty())
            text += crLf ? "\r\n" : "\n";
        text += newLine + (crLf ? "\r\n" : "\n");
    }
    m_text = std::move(text);
}

void PortsFile::save(const std::filesystem::path& file) const
{
    const auto folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    std::string scratch = (folder / (file.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(scratch.data());
    if (fd < 0)
        failToWrite(file, errno);

    // The new file keeps the old one's permissions; a first one is readable by all, like the data files.
    struct stat old { };
    const mode_t mode = ::stat(file.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    const bool written = writeAll(fd, m_text) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!written || ::rename(scratch.c_str(), file.c_str()) != 0) {
        const int failure = written ? errno : error;
        ::unlink(scratch.c_str());
        failToWrite(file, failure);
    }
    // The rename itself must reach the disk too, or a crash could bring the old file back.
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
}

} // namespace tolvane::platform
