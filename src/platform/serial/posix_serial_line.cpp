#include "platform/serial/posix_serial_line.h"

#include "platform/serial/custom_speed.h"
#include "platform/serial/serial_error_text.h"
#include "platform/serial/uucp_lock.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace tolvane::platform {

namespace {

using engine::SerialError;

constexpr std::array<std::pair<int, speed_t>, 22> kStandardSpeeds { {
    { 50, B50 },
    { 75, B75 },
    { 110, B110 },
    { 134, B134 },
    { 150, B150 },
    { 200, B200 },
    { 300, B300 },
    { 600, B600 },
    { 1200, B1200 },
    { 1800, B1800 },
    { 2400, B2400 },
    { 4800, B4800 },
    { 9600, B9600 },
    { 19200, B19200 },
    { 38400, B38400 },
    { 57600, B57600 },
    { 115200, B115200 },
    { 230400, B230400 },
    { 460800, B460800 },
    { 500000, B500000 },
    { 576000, B576000 },
    { 921600, B921600 },
} };

std::optional<speed_t> standardSpeed(int baud)
{
    for (const auto& [rate, constant] : kStandardSpeeds) {
        if (rate == baud)
            return constant;
    }
    return std::nullopt;
}

// The failure a refused open stands for.
int openFailureNumber(int error)
{
    switch (error) {
    case ENOENT:
    case ENXIO:
    case EIO:
    case ENODEV:
    case ENOTDIR:
    case EISDIR:
    case ENOTTY:
        return engine::kInvalidPortNumber;
    case EBUSY:
    case EWOULDBLOCK:
        return engine::kPortAlreadyOpen;
    case EACCES:
    case EPERM:
    case EROFS:
        return engine::kHardwareNotAvailable;
    default:
        return engine::kHardwareNotAvailable;
    }
}

std::string describe(const std::string& device, std::string_view what, int error)
{
    std::string text = device;
    if (!what.empty()) {
        text += ": ";
        text += what;
    }
    if (error != 0) {
        text += " (";
        text += std::strerror(error);
        text += ')';
    }
    return text;
}

[[noreturn]] void fail(int number, const std::string& detail)
{
    throw SerialError(number, serialErrorDescription(number, detail));
}

void closeQuietly(int fd)
{
    // A close interrupted by a signal has still released the descriptor on this platform: never retry.
    ::close(fd);
}

bool isUnsupportedByDevice(int error)
{
    return error == ENOTTY || error == EINVAL;
}

// Within the tolerance a UART's clock divider gives (2 %), the driver runs the speed asked for.
bool closeEnough(int applied, int wanted)
{
    return std::abs(applied - wanted) * 50 <= wanted;
}

} // namespace

PosixSerialLine::PosixSerialLine(PortMap ports, std::filesystem::path lockFolder)
    : PosixSerialLine(DeviceLookup(), std::move(lockFolder))
{
    auto map = std::make_shared<const PortMap>(std::move(ports));
    m_devices = [map](int port) { return map->devicePath(port); };
    m_dialPlans = [map] { return map->dialPlan(); };
}

PosixSerialLine::PosixSerialLine(DeviceLookup devices, std::filesystem::path lockFolder)
    : m_devices(std::move(devices))
    , m_lockFolder(std::move(lockFolder))
{
}

PosixSerialLine::~PosixSerialLine()
{
    close();
}

void PosixSerialLine::setReport(NetworkLine::Report report)
{
    m_report = std::move(report);
    if (m_network)
        m_network->setReport(m_report);
}

void PosixSerialLine::setPortNumber(int port)
{
    // Takes effect at the next open, as the engine expects; an unknown port is refused there.
    m_port = port;
}

void PosixSerialLine::setSettings(const std::string& settings)
{
    m_settings = settings;
}

void PosixSerialLine::open()
{
    if (isOpen())
        fail(engine::kPortAlreadyOpen, describe(m_devicePath, "this port is already open", 0));

    const auto settings = LineSettings::parse(m_settings);
    if (!settings)
        fail(engine::kUnsupportedBaud, "line settings \"" + m_settings + "\" are not understood");

    const std::string device = m_devices(m_port);
    if (device.empty())
        fail(engine::kInvalidPortNumber, "COMM" + std::to_string(m_port) + " has no device");
    if (PortMap::isNetworkDevice(device)) {
        auto network = std::make_unique<NetworkLine>(m_dialPlans);
        network->setReport(m_report);
        network->setPortNumber(m_port);
        network->setSettings(m_settings);
        network->open();
        m_network = std::move(network);
        m_devicePath = std::string(PortMap::kNetworkDevice);
        return;
    }

    // The lock comes before the open: opening a terminal raises its modem lines, which would disturb a
    // call another program is making.
    auto lock = std::make_unique<UucpLock>(m_lockFolder, device);
    if (lock->acquire() == UucpLock::Outcome::HeldByOther)
        fail(engine::kPortAlreadyOpen,
            describe(device,
                "locked by process " + std::to_string(lock->otherOwner()) + " (" + lock->lockFile().string() + ')', 0));

    int fd = -1;
    do {
        fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int error = errno;
        fail(openFailureNumber(error), describe(device, "", error));
    }

    try {
        // Programs that skip the lock folder still meet here; root passes TIOCEXCL, but not flock.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
            fail(engine::kPortAlreadyOpen, describe(device, "in use by another program", 0));
        configure(fd, device, *settings);
        ::ioctl(fd, TIOCEXCL);
        ::tcflush(fd, TCIOFLUSH);
    } catch (...) {
        closeQuietly(fd);
        throw;
    }

    m_fd = fd;
    m_devicePath = device;
    m_lock = std::move(lock);
}

void PosixSerialLine::configure(int fd, const std::string& device, const LineSettings& settings)
{
    termios attributes {};
    if (::tcgetattr(fd, &attributes) != 0) {
        const int error = errno;
        fail(openFailureNumber(error), describe(device, "not a serial port", error));
    }

    ::cfmakeraw(&attributes);
    attributes.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK);
    // No handshaking and no carrier watch: the modem's own result texts tell the engine about the line.
    attributes.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
    attributes.c_cflag |= CLOCAL | CREAD | HUPCL;
    attributes.c_cc[VMIN] = 0;
    attributes.c_cc[VTIME] = 0;

    const auto standard = standardSpeed(settings.baud);
    // A speed without a constant is set on top afterwards; until then the line keeps a harmless one.
    const speed_t speed = standard.value_or(B9600);
    ::cfsetispeed(&attributes, speed);
    ::cfsetospeed(&attributes, speed);

    termios withoutFraming = attributes;
    withoutFraming.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
    withoutFraming.c_cflag |= CS8;

    attributes.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
    switch (settings.dataBits) {
    case 5:
        attributes.c_cflag |= CS5;
        break;
    case 6:
        attributes.c_cflag |= CS6;
        break;
    case 7:
        attributes.c_cflag |= CS7;
        break;
    default:
        attributes.c_cflag |= CS8;
        break;
    }
    switch (settings.parity) {
    case LineSettings::Parity::Even:
        attributes.c_cflag |= PARENB;
        break;
    case LineSettings::Parity::Odd:
        attributes.c_cflag |= PARENB | PARODD;
        break;
    case LineSettings::Parity::Mark:
        attributes.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case LineSettings::Parity::Space:
        attributes.c_cflag |= PARENB | CMSPAR;
        break;
    case LineSettings::Parity::None:
        break;
    }
    if (settings.stopBits == 2)
        attributes.c_cflag |= CSTOPB;

    m_framingApplied = true;
    if (::tcsetattr(fd, TCSANOW, &attributes) != 0) {
        int error = errno;
        // A device that cannot frame characters as asked (a pseudo-terminal) still carries the bytes.
        if (error == EINVAL) {
            m_framingApplied = false;
            if (::tcsetattr(fd, TCSANOW, &withoutFraming) == 0)
                error = 0;
            else
                error = errno;
        }
        if (error == EINVAL)
            fail(engine::kUnsupportedBaud, describe(device, settings.text(), error));
        if (error != 0)
            fail(openFailureNumber(error), describe(device, "cannot set the line", error));
    }

    termios applied {};
    if (::tcgetattr(fd, &applied) == 0) {
        const tcflag_t framing = CSIZE | PARENB | PARODD | CMSPAR;
        if ((applied.c_cflag & framing) != (attributes.c_cflag & framing))
            m_framingApplied = false;
        if (standard && ::cfgetospeed(&applied) != *standard)
            fail(engine::kUnsupportedBaud, describe(device, std::to_string(settings.baud) + " baud", 0));
    }

    if (!standard) {
        int appliedBaud = 0;
        const int error = setCustomSpeed(fd, settings.baud, appliedBaud);
        if (error != 0 && isUnsupportedByDevice(error))
            fail(engine::kUnsupportedBaud, describe(device, std::to_string(settings.baud) + " baud", error));
        if (error != 0)
            fail(openFailureNumber(error), describe(device, "cannot set the speed", error));
        if (!closeEnough(appliedBaud, settings.baud))
            fail(engine::kUnsupportedBaud,
                describe(device,
                    std::to_string(settings.baud) + " baud (the device runs " + std::to_string(appliedBaud) + ')', 0));
    }
}

void PosixSerialLine::close()
{
    if (m_network) {
        m_network.reset();
        m_devicePath.clear();
    }
    if (!isOpen())
        return;
    // Dropping DTR is what makes the modem end its call; HUPCL drops it again at the last close.
    int lines = TIOCM_DTR;
    ::ioctl(m_fd, TIOCMBIC, &lines);
    ::ioctl(m_fd, TIOCNXCL);
    closeQuietly(m_fd);
    m_fd = -1;
    m_devicePath.clear();
    if (m_lock) {
        m_lock->release();
        m_lock.reset();
    }
}

void PosixSerialLine::requireOpen(std::string_view operation) const
{
    if (!isOpen())
        fail(engine::kPortNotOpen, "COMM" + std::to_string(m_port) + ": " + std::string(operation));
}

void PosixSerialLine::failAfterOpen(int number, std::string_view operation, int error) const
{
    fail(number, describe(m_devicePath, operation, error));
}

void PosixSerialLine::setDtr(bool on)
{
    if (m_network)
        return m_network->setDtr(on);
    requireOpen("DTR");
    int lines = TIOCM_DTR;
    if (::ioctl(m_fd, on ? TIOCMBIS : TIOCMBIC, &lines) != 0 && !isUnsupportedByDevice(errno))
        failAfterOpen(engine::kHardwareNotAvailable, "DTR", errno);
}

void PosixSerialLine::write(std::string_view bytes)
{
    if (m_network)
        return m_network->write(bytes);
    requireOpen("write");
    using Clock = std::chrono::steady_clock;
    auto lastProgress = Clock::now();
    while (!bytes.empty()) {
        const auto written = ::write(m_fd, bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
            lastProgress = Clock::now();
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno != EAGAIN)
            failAfterOpen(engine::kHardwareNotAvailable, "write", errno);

        // The output buffer is full: wait for room, but not for ever on a line that never drains.
        const auto stalled = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastProgress).count();
        if (stalled >= m_writeStallMs)
            failAfterOpen(engine::kDeviceBusy, "output does not drain", 0);
        pollfd room { m_fd, POLLOUT, 0 };
        ::poll(&room, 1, static_cast<int>(m_writeStallMs - stalled));
    }
    waitUntilSent();
}

void PosixSerialLine::waitUntilSent()
{
    // The bytes must have left the port before the engine's next pause begins. tcdrain() alone would
    // wait for ever on a device that stops taking data (a wedged USB modem), so the output queue is
    // watched first, for as long as it keeps shrinking.
    using Clock = std::chrono::steady_clock;
    auto lastProgress = Clock::now();
    int smallest = -1;
    int queued = 0;
    while (::ioctl(m_fd, TIOCOUTQ, &queued) == 0 && queued > 0) {
        const auto now = Clock::now();
        if (smallest < 0 || queued < smallest) {
            smallest = queued;
            lastProgress = now;
        } else if (std::chrono::duration_cast<std::chrono::milliseconds>(now - lastProgress).count()
            >= m_writeStallMs) {
            failAfterOpen(engine::kDeviceBusy, "output does not drain", 0);
        }
        ::poll(nullptr, 0, 1);
    }
    // What is left sits in the port's own transmitter, which empties in a few character times.
    while (::tcdrain(m_fd) != 0 && errno == EINTR) { }
}

std::string PosixSerialLine::readAll()
{
    if (m_network)
        return m_network->readAll();
    requireOpen("read");
    // Bounded, as line noise or a babbling modem can keep the port busy for ever.
    std::string received;
    char buffer[4096];
    while (received.size() < engine::kReadLimit) {
        const auto length = ::read(m_fd, buffer, std::min(sizeof buffer, engine::kReadLimit - received.size()));
        if (length > 0) {
            received.append(buffer, static_cast<std::size_t>(length));
            continue;
        }
        if (length < 0 && errno == EINTR)
            continue;
        // EAGAIN: nothing more waits. EIO or end of file: the other side is gone, which the engine
        // notices as silence.
        break;
    }
    return received;
}

int PosixSerialLine::waitingCount()
{
    if (m_network)
        return m_network->waitingCount();
    requireOpen("waiting count");
    int count = 0;
    if (::ioctl(m_fd, FIONREAD, &count) != 0)
        return 0;
    return count;
}

void PosixSerialLine::discardInput()
{
    if (m_network)
        return m_network->discardInput();
    requireOpen("discard");
    ::tcflush(m_fd, TCIFLUSH);
}

} // namespace tolvane::platform
