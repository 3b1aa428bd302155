#include "store/defaults.h"
#include "store/record_file.h"
#include "store/store_error.h"
#include "store_test_support.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

using namespace tolvane::store;
using namespace std::string_literals;

namespace {

// The store error number an action throws, 0 when it throws none.
int storeErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const StoreError& e) {
        return e.number();
    }
    return 0;
}

} // namespace

TEST(RecordFile, AMissingFileIsCreatedEmptyButAMissingFolderIsAPathError)
{
    TempFolder dir;
    RecordFile file(dir / "GROUP.DAT", 50);
    EXPECT_EQ(file.count(), 0);
    EXPECT_TRUE(dir.exists("GROUP.DAT"));
    EXPECT_EQ(dir.read("GROUP.DAT"), "");
    EXPECT_EQ(storeErrorOf([&] { RecordFile gone(dir / "gone/USERS.DAT", 160); }), 76);
}

TEST(RecordFile, CountRoundsToNearestAndHalvesToEven)
{
    TempFolder dir;
    const std::pair<std::size_t, std::int32_t> cases[] = { { 0, 0 }, { 39, 0 }, { 40, 0 }, { 41, 1 }, { 79, 1 },
        { 80, 1 }, { 81, 1 }, { 120, 2 }, { 200, 2 }, { 239, 3 }, { 280, 4 } };
    for (const auto& [length, count] : cases) {
        dir.write("QUICK.DAT", std::string(length, 'x'));
        EXPECT_EQ(RecordFile(dir / "QUICK.DAT", 80).count(), count) << length << " bytes";
    }
}

TEST(RecordFile, ReadingBeyondTheEndGivesNulBytesAndZeros)
{
    TempFolder dir;
    dir.write("CONFIG.DAT", "COMM2"s + std::string(10, ' ') + "\x01\x00\x03\x00\x01"s); // truncated: 20 bytes
    RecordFile file(dir / "CONFIG.DAT", 21);
    EXPECT_EQ(file.count(), 1);
    const ConfigRecord c = readRecord<ConfigRecord>(file, 1);
    EXPECT_EQ(c.portNumber(), 2);
    EXPECT_EQ(c.RetryAttempts, 3);
    EXPECT_EQ(c.ModemIndex, 1); // the missing high byte reads as 0

    const ConfigRecord beyond = readRecord<ConfigRecord>(file, 7);
    EXPECT_EQ(beyond.CommPort, std::string(5, '\0'));
    EXPECT_EQ(beyond.DialMethod, 0);
    EXPECT_EQ(file.readRaw(0), std::string(21, '\0'));
}

TEST(RecordFile, WritingCountPlusOneAppendsAndAnExistingNumberOverwrites)
{
    TempFolder dir;
    {
        RecordFile file(dir / "GROUP.DAT", 50);
        writeRecord(file, 1, GroupRecord { "Alpha", "" });
        writeRecord(file, 2, GroupRecord { "Beta", "" });
        EXPECT_EQ(file.appendRaw(GroupRecord { "Gamma", "" }.encode()), 3);
        writeRecord(file, 2, GroupRecord { "Bravo", "x" });
        EXPECT_EQ(file.count(), 3);
        // Beyond count + 1 would leave a hole of NUL records: refused, nothing written.
        EXPECT_EQ(storeErrorOf([&] { writeRecord(file, 5, GroupRecord { "Echo", "" }); }), 63);
        EXPECT_THROW(file.writeRaw(0, "x"), StoreError);
    }
    EXPECT_EQ(dir.read("GROUP.DAT"), padded("Alpha", 50) + padded("Bravo", 25) + padded("x", 25) + padded("Gamma", 50));
}

TEST(RecordFile, OddLengthFileReadsItsPartialLastRecordAndAppendsAfterTheRoundedCount)
{
    TempFolder dir;
    dir.write("QUICK.DAT", std::string(80, 'a') + std::string(50, 'b')); // 1.625 records
    RecordFile file(dir / "QUICK.DAT", 80);
    ASSERT_EQ(file.count(), 2);
    EXPECT_EQ(file.readRaw(2), std::string(50, 'b') + std::string(30, '\0'));
    EXPECT_EQ(file.readAllRaw(), std::string(80, 'a') + std::string(50, 'b') + std::string(30, '\0'));
    EXPECT_EQ(file.appendRaw(std::string(80, 'c')), 3);
    EXPECT_EQ(dir.read("QUICK.DAT").substr(160), std::string(80, 'c'));
}

TEST(RecordFile, AnAppendTheDiskTookOnlyPartOfLeavesNoRecordBehind)
{
    TempFolder dir;
    dir.write("USERS.DAT", std::string(160, 'a'));
    // The child's file-size limit lets only 100 bytes of the new record reach the disk, as a full disk would;
    // kept, they would count as a second user (1.625 records round to 2).
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit { 260, 260 };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        RecordFile file(dir / "USERS.DAT", 160);
        ::_exit(storeErrorOf([&] { file.appendRaw(std::string(160, 'b')); }) == 0 ? 1 : 0);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_EQ(status, 0) << "the failed append was not reported";
    EXPECT_EQ(dir.read("USERS.DAT"), std::string(160, 'a'));
}

namespace {

// What went wrong, empty when all is well (it may run in a child process, see below).
std::string readOnlyFolderFaults(const TempFolder& dir)
{
    std::string faults;
    RecordFile missing(dir / "SETTINGS.DAT", 50);
    if (missing.count() != 0 || missing.readRaw(1) != std::string(50, '\0'))
        faults += "a missing file does not read as empty; ";
    if (const int error = storeErrorOf([&] { missing.writeRaw(1, "x"); }); error != 70)
        faults += "writing into the folder gave error " + std::to_string(error) + " instead of 70; ";
    RecordFile readOnly(dir / "QUICK.DAT", 80);
    if (readOnly.count() != 1 || readOnly.readRaw(1) != std::string(80, 'q'))
        faults += "a read-only file does not read; ";
    if (storeErrorOf([&] { readOnly.appendRaw("new"); }) == 0)
        faults += "appended to a read-only file; ";
    if (const int error = storeErrorOf([&] { installIfNew(DataFolder(dir.path())); }); error != 70)
        faults += "installation gave error " + std::to_string(error) + " instead of 70; ";
    return faults;
}

} // namespace

TEST(RecordFile, AFolderThatCannotBeWrittenReadsMissingFilesAsEmptyAndRefusesWrites)
{
    TempFolder dir;
    dir.write("QUICK.DAT", std::string(80, 'q'));
    ::chmod((dir / "QUICK.DAT").c_str(), 0444);
    ::chmod(dir.path().c_str(), 0555);

    // Permissions do not bind the super-user, so the checks run in a child process that is not one.
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::string faults;
        try {
            const bool dropped = ::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0);
            faults = dropped ? readOnlyFolderFaults(dir) : "cannot become nobody";
        } catch (const std::exception& e) {
            faults = e.what();
        }
        if (faults.empty())
            faults = "ok";
        [[maybe_unused]] const auto put = ::write(channel[1], faults.data(), faults.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string faults;
    char buffer[256];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        faults.append(buffer, static_cast<std::size_t>(got));
    ::close(channel[0]);
    ::waitpid(pid, nullptr, 0);
    EXPECT_EQ(faults, "ok");
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(dir.read("QUICK.DAT"), std::string(80, 'q'));
    EXPECT_EQ(dir.fileCount(), 1) << "nothing was created";
}

TEST(RecordFile, AnOpenFileSeesTheReplacementMadeThroughAnotherOpenOfThisProcess)
{
    TempFolder dir;
    dir.write("USERS.DAT", std::string(160, 'a') + std::string(160, 'b'));
    RecordFile keptOpen(dir / "USERS.DAT", 160); // like an editor tab holding the file
    ASSERT_EQ(keptOpen.count(), 2);
    {
        RecordFile other(dir / "USERS.DAT", 160);
        RecordFile::SoleHold hold(other);
        ASSERT_TRUE(hold.held()) << "this process's own opens must not block a replacement";
        other.replaceContents(hold, std::string(160, 'c'));
    }
    EXPECT_EQ(keptOpen.count(), 1);
    EXPECT_EQ(keptOpen.readRaw(1), std::string(160, 'c'));
    // And it writes into the file everyone reads, not into the replaced one.
    keptOpen.appendRaw(std::string(160, 'd'));
    EXPECT_EQ(dir.read("USERS.DAT"), std::string(160, 'c') + std::string(160, 'd'));
    EXPECT_EQ(dir.fileCount(), 1) << "no scratch file left behind";
}

TEST(RecordFile, AnUncommittedReplacementLeavesTheFileAndACommittedOneKeepsItsPermissions)
{
    TempFolder dir;
    dir.write("GROUP.DAT", std::string(50, 'g'));
    ::chmod((dir / "GROUP.DAT").c_str(), 0664);
    {
        RecordFile file(dir / "GROUP.DAT", 50);
        RecordFile::SoleHold hold(file);
        ASSERT_TRUE(hold.held());
        RecordFile::Replacement replacement(file, hold, std::string(100, 'h'));
        EXPECT_EQ(dir.fileCount(), 2);
    }
    EXPECT_EQ(dir.read("GROUP.DAT"), std::string(50, 'g'));
    EXPECT_EQ(dir.fileCount(), 1);
    {
        RecordFile file(dir / "GROUP.DAT", 50);
        RecordFile::SoleHold hold(file);
        file.replaceContents(hold, std::string(50, 'u'));
    }
    EXPECT_EQ(dir.read("GROUP.DAT"), std::string(50, 'u'));
    struct stat st { };
    ASSERT_EQ(::stat((dir / "GROUP.DAT").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0664u);
}

TEST(RecordFile, AReopenThatFailedOnceDoesNotLeaveLaterWritesWithoutTheWriterLock)
{
    TempFolder dir;
    dir.write("USERS.DAT", std::string(160, 'a'));
    RecordFile keptOpen(dir / "USERS.DAT", 160);
    {
        RecordFile other(dir / "USERS.DAT", 160);
        RecordFile::SoleHold hold(other);
        other.replaceContents(hold, std::string(160, 'b'));
    }
    // keptOpen must reopen the new file; while the path names no file it can open, that fails...
    std::filesystem::rename(dir / "USERS.DAT", dir / "USERS.NEW");
    std::filesystem::create_directory(dir / "USERS.DAT");
    EXPECT_EQ(storeErrorOf([&] { keptOpen.appendRaw(std::string(160, 'c')); }), 75);
    std::filesystem::remove(dir / "USERS.DAT");
    std::filesystem::rename(dir / "USERS.NEW", dir / "USERS.DAT");

    // ...and once the file is back, a write still takes the writer range (byte 2^62 + 1) other copies wait on.
    const RecordFile::WriterLock writer(keptOpen);
    const int probe = ::open((dir / "USERS.DAT").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(probe, 0);
    struct flock request { };
    request.l_type = F_WRLCK;
    request.l_whence = SEEK_SET;
    request.l_start = (off_t { 1 } << 62) + 1;
    request.l_len = 1;
    EXPECT_EQ(::fcntl(probe, F_OFD_SETLK, &request), -1) << "another workstation could append at the same moment";
    ::close(probe);
    EXPECT_EQ(keptOpen.appendRaw(std::string(160, 'd')), 2);
    EXPECT_EQ(dir.read("USERS.DAT"), std::string(160, 'b') + std::string(160, 'd'));
}
