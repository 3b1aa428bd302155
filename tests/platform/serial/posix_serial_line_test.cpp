#include "platform/serial/posix_serial_line.h"

#include "platform/serial/custom_speed.h"
#include "platform/serial/uucp_lock.h"
#include "serial_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <sys/wait.h>
#include <unistd.h>

namespace tolvane::platform {
namespace {

using testing::errorNumberOf;
using testing::eventually;
using testing::PtyPair;
using testing::TempFolder;

// What a UUCP-style lock file holds: the owner's id right-aligned in ten columns.
std::string lockContent(pid_t pid)
{
    const std::string digits = std::to_string(pid);
    return std::string(10 - digits.size(), ' ') + digits + "\n";
}

// The program that runs this test: alive for as long as the test, and not this process.
pid_t aLiveProgram()
{
    return ::getppid();
}

pid_t deadProcessId()
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

PortMap mapTo(const std::string& device)
{
    PortMap map;
    map.setOverride(1, device);
    return map;
}

class PosixSerialLineTest : public ::testing::Test {
protected:
    std::string lockName() const { return UucpLock::lockFileName(m_pty.devicePath()); }
    bool locked() const { return std::filesystem::exists(m_locks.path() / lockName()); }

    std::string readWhenWaiting(int count)
    {
        EXPECT_TRUE(eventually([&] { return m_line.waitingCount() >= count; })) << "waiting " << m_line.waitingCount();
        return m_line.readAll();
    }

    PtyPair m_pty;
    TempFolder m_locks;
    PosixSerialLine m_line { mapTo(m_pty.devicePath()), m_locks.path() };
};

TEST_F(PosixSerialLineTest, WritesReachTheLineInOrderAndUnchanged)
{
    m_line.setSettings("9600,N,8,1");
    m_line.open();
    ASSERT_TRUE(m_line.isOpen());
    EXPECT_EQ(m_line.devicePath(), m_pty.devicePath());

    m_line.write("ATZ\r");
    m_line.write("ATDT5550142\r");
    m_line.write("\x1bPG1\r");
    EXPECT_EQ(m_pty.receive(21), "ATZ\rATDT5550142\r\x1bPG1\r");

    // No translation of line ends or high bytes on the way out: raw mode.
    const std::string raw("\x02\n\r\x00\x7f\xa0\xff\x03", 8);
    m_line.write(raw);
    EXPECT_EQ(m_pty.receive(raw.size()), raw);
}

TEST_F(PosixSerialLineTest, ReadingTakesEverythingWaitingAndDiscardingDropsOnlyWhatCameBefore)
{
    m_line.open();
    EXPECT_EQ(m_line.readAll(), "");
    EXPECT_EQ(m_line.waitingCount(), 0);

    m_pty.send("OK\r\n");
    m_pty.send("ID=");
    EXPECT_EQ(readWhenWaiting(7), "OK\r\nID=");
    EXPECT_EQ(m_line.readAll(), "");
    EXPECT_EQ(m_line.waitingCount(), 0);

    // Nothing is turned into anything else on the way in either.
    const std::string raw("\x06\r\n\x00\x1b\x04\xe9", 7);
    m_pty.send(raw);
    EXPECT_EQ(readWhenWaiting(7), raw);

    m_pty.send("RING\r\nBUSY\r\n");
    ASSERT_TRUE(eventually([&] { return m_line.waitingCount() == 12; }));
    m_line.discardInput();
    EXPECT_EQ(m_line.waitingCount(), 0);
    EXPECT_EQ(m_line.readAll(), "");
    m_pty.send("CONNECT 9600\r\n");
    EXPECT_EQ(readWhenWaiting(14), "CONNECT 9600\r\n");
}

TEST_F(PosixSerialLineTest, TheLineRunsAtTheCompanysSpeedAndIgnoresWhatAPseudoTerminalCannotHonour)
{
    // Parity, 7 data bits and DTR mean nothing to a pseudo-terminal; 14400 and 28800 have no standard constant.
    for (const char* settings :
        { "300,N,8,1", "2400,E,7,1", "9600,E,7,1", "14400,O,7,2", "19200,E,7,1", "28800,M,7,1" }) {
        m_line.setSettings(settings);
        ASSERT_EQ(errorNumberOf([&] { m_line.open(); }), 0) << settings;
        EXPECT_EQ(currentSpeed(m_pty.observer()), std::atoi(settings)) << settings;
        EXPECT_EQ(errorNumberOf([&] {
            m_line.setDtr(true);
            m_line.setDtr(false);
            m_line.setDtr(true);
        }),
            0)
            << settings;
        m_line.write("AT\r");
        EXPECT_EQ(m_pty.receive(3), "AT\r") << settings;
        m_line.close();
    }
}

TEST_F(PosixSerialLineTest, OutputThatNeverDrainsIsReportedNotWaitedForForever)
{
    // Nobody reads the other side, so the device's buffer fills and stays full.
    m_line.setWriteStallLimit(50);
    m_line.open();
    const std::string block(4096, 'x');
    int number = 0;
    for (int i = 0; i < 1024 && number == 0; ++i)
        number = errorNumberOf([&] { m_line.write(block); });
    EXPECT_EQ(number, 8019);
    EXPECT_TRUE(m_line.isOpen());
}

TEST_F(PosixSerialLineTest, ALineThatGoesAwayFailsWritesAndReadsAsSilence)
{
    m_line.open();
    m_pty.hangUp();
    EXPECT_EQ(errorNumberOf([&] { m_line.write("ATH\r"); }), 8010);
    EXPECT_EQ(m_line.readAll(), "");
    EXPECT_NO_THROW(m_line.close());
    EXPECT_FALSE(locked());
}

TEST_F(PosixSerialLineTest, EveryOperationOnAClosedPortIsError8018)
{
    const auto checkAllRefused = [&] {
        EXPECT_EQ(errorNumberOf([&] { m_line.write("ATH\r"); }), 8018);
        EXPECT_EQ(errorNumberOf([&] { m_line.readAll(); }), 8018);
        EXPECT_EQ(errorNumberOf([&] { m_line.setDtr(true); }), 8018);
        EXPECT_EQ(errorNumberOf([&] { m_line.waitingCount(); }), 8018);
        EXPECT_EQ(errorNumberOf([&] { m_line.discardInput(); }), 8018);
    };
    checkAllRefused();
    m_line.open();
    m_line.close();
    EXPECT_FALSE(m_line.isOpen());
    checkAllRefused();
    EXPECT_NO_THROW(m_line.close());
}

TEST_F(PosixSerialLineTest, AnOpenThatFailsSaysWhyAndLeavesNoLockOfItsOwn)
{
    TempFolder folder;
    folder.write("plain-file", "not a port");
    for (const auto& device : { folder.path() / "ttyUSB9", folder.path() / "plain-file", folder.path() }) {
        PosixSerialLine line(mapTo(device.string()), m_locks.path());
        EXPECT_EQ(errorNumberOf([&] { line.open(); }), 8002) << device;
    }
    m_line.setSettings("9600,E,7,1.5");
    EXPECT_EQ(errorNumberOf([&] { m_line.open(); }), 8007);
    m_line.setSettings("9600,E,7,1");
    m_line.setPortNumber(5);
    EXPECT_EQ(errorNumberOf([&] { m_line.open(); }), 8002);
    EXPECT_TRUE(std::filesystem::is_empty(m_locks.path()));

    m_line.setPortNumber(1);
    m_locks.write(lockName(), lockContent(aLiveProgram()));
    EXPECT_EQ(errorNumberOf([&] { m_line.open(); }), 8005);
    EXPECT_EQ(m_locks.read(lockName()), lockContent(aLiveProgram())) << "another program's lock stays";
    EXPECT_FALSE(m_line.isOpen());

    // Opening an open port is refused and leaves it open and working.
    std::filesystem::remove(m_locks.path() / lockName());
    m_line.open();
    EXPECT_EQ(errorNumberOf([&] { m_line.open(); }), 8005);
    m_line.write("AT\r");
    EXPECT_EQ(m_pty.receive(3), "AT\r");
}

TEST_F(PosixSerialLineTest, PortNumbersChooseTheDeviceAtTheNextOpen)
{
    PtyPair second;
    PortMap map = mapTo(m_pty.devicePath());
    map.setOverride(3, second.devicePath());
    PosixSerialLine line(map, m_locks.path());
    line.setPortNumber(3);
    line.open();
    EXPECT_EQ(line.devicePath(), second.devicePath());
    line.write("ATH\r");
    EXPECT_EQ(second.receive(4), "ATH\r");
}

// That the lock names this process while the port is open, and goes at its close, the stale-lock test shows.
TEST_F(PosixSerialLineTest, ALockFileGoesWithTheLineThatHoldsIt)
{
    {
        PosixSerialLine scoped(mapTo(m_pty.devicePath()), m_locks.path());
        scoped.open();
        EXPECT_TRUE(locked());
    }
    EXPECT_FALSE(locked());
}

TEST_F(PosixSerialLineTest, AStaleLockIsTakenOver)
{
    // A dead owner, an unreadable lock, and one naming this process's id that no port here holds: an
    // earlier process with the same id left it.
    const std::string stales[]
        = { lockContent(deadProcessId()), std::string(), std::string("garbage\n"), lockContent(::getpid()) };
    for (const auto& stale : stales) {
        m_locks.write(lockName(), stale);
        ASSERT_EQ(errorNumberOf([&] { m_line.open(); }), 0) << stale;
        EXPECT_EQ(m_locks.read(lockName()), lockContent(::getpid()));
        m_line.close();
        EXPECT_FALSE(locked());
    }
}

TEST_F(PosixSerialLineTest, ASecondLineCannotOpenTheSamePortWithOrWithoutALockFolder)
{
    m_line.open();
    PosixSerialLine other(mapTo(m_pty.devicePath()), m_locks.path());
    EXPECT_EQ(errorNumberOf([&] { other.open(); }), 8005);

    // Without a lock folder the device itself still refuses the second opener.
    PosixSerialLine unlocked(mapTo(m_pty.devicePath()), m_locks.path() / "missing");
    EXPECT_EQ(errorNumberOf([&] { unlocked.open(); }), 8005);

    // The failed attempts leave the first line's lock in place.
    EXPECT_EQ(m_locks.read(lockName()), lockContent(::getpid()));
    m_line.close();
    EXPECT_EQ(errorNumberOf([&] { other.open(); }), 0);
    other.close();

    // Once the port is free, a line without a writable lock folder opens it unlocked.
    unlocked.open();
    unlocked.write("AT\r");
    EXPECT_EQ(m_pty.receive(3), "AT\r");
    EXPECT_FALSE(std::filesystem::exists(m_locks.path() / "missing"));
}

TEST(UucpLock, NamesFollowTheDevice)
{
    EXPECT_EQ(UucpLock::lockFileName("/dev/ttyS0"), "LCK..ttyS0");
    EXPECT_EQ(UucpLock::lockFileName("/dev/ttyUSB1"), "LCK..ttyUSB1");
    EXPECT_EQ(UucpLock::lockFileName("/dev/pts/3"), "LCK..pts_3");
    EXPECT_EQ(UucpLock::lockFileName("/tmp/modem"), "LCK..modem");
    EXPECT_EQ(UucpLock::contentFor(1234), "      1234\n");
}

TEST(UucpLock, ReadsOwnersWrittenByOtherPrograms)
{
    TempFolder folder;
    const auto ownerOf = [&](std::string_view content) {
        folder.write("LCK..ttyS0", content);
        return UucpLock::ownerOf(folder.path() / "LCK..ttyS0");
    };
    EXPECT_EQ(ownerOf("      4321\n"), 4321);
    EXPECT_EQ(ownerOf("4321\n"), 4321);
    EXPECT_EQ(ownerOf(std::string("\xe1\x10\x00\x00", 4)), 4321); // binary, as old programs wrote it
    EXPECT_EQ(ownerOf(""), 0);
    EXPECT_EQ(ownerOf("none\n"), 0);
    EXPECT_EQ(ownerOf("99999999999999\n"), 0);
    EXPECT_EQ(UucpLock::ownerOf(folder.path() / "LCK..missing"), 0);
}

TEST(UucpLock, ReleaseLeavesALockThatIsNoLongerOurs)
{
    TempFolder folder;
    UucpLock lock(folder.path(), "/dev/ttyS1");
    ASSERT_EQ(lock.acquire(), UucpLock::Outcome::Taken);
    EXPECT_EQ(lock.acquire(), UucpLock::Outcome::Taken);

    // Someone removed ours and another program took the device.
    folder.write("LCK..ttyS1", lockContent(aLiveProgram()));
    lock.release();
    EXPECT_EQ(folder.read("LCK..ttyS1"), lockContent(aLiveProgram()));

    UucpLock second(folder.path(), "/dev/ttyS1");
    EXPECT_EQ(second.acquire(), UucpLock::Outcome::HeldByOther);
    EXPECT_EQ(second.otherOwner(), aLiveProgram());
}

} // namespace
} // namespace tolvane::platform
