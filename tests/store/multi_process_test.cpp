#include "store/compaction.h"
#include "store/directory_edits.h"
#include "store/record_file.h"
#include "store/scratch_files.h"
#include "store/sort_users.h"
#include "store_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// Several running copies of the program share one folder: each test forks processes that stand for other
// workstations. Children open their own files after the fork, as separate programs would.
using namespace tolvane::store;

namespace {

// A one-way signal between processes.
class Pipe {
public:
    Pipe() { EXPECT_EQ(::pipe(m_fds), 0); }
    ~Pipe()
    {
        ::close(m_fds[0]);
        ::close(m_fds[1]);
    }
    void post(int times = 1) const
    {
        for (int i = 0; i < times; ++i)
            EXPECT_EQ(::write(m_fds[1], "x", 1), 1);
    }
    bool wait() const
    {
        char c = 0;
        return ::read(m_fds[0], &c, 1) == 1;
    }

private:
    int m_fds[2] = { -1, -1 };
};

pid_t spawn(const std::function<int()>& body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        int status = 99;
        try {
            status = body();
        } catch (...) {
            status = 98;
        }
        ::_exit(status);
    }
    return pid;
}

// The child's exit status, or 128 + signal when it was killed.
int reap(pid_t pid)
{
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// True once some process waits for a lock (the kernel lists waiters with "->").
bool someoneWaitsForALock()
{
    for (int i = 0; i < 500; ++i) {
        std::ifstream in("/proc/locks");
        if (std::string(std::istreambuf_iterator<char>(in), {}).find("-> OFDLCK") != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// A forked child shares the parent's open file descriptions, and with them their locks; a separate program
// would not, so the child lets go of them first.
void closeFilesInheritedFrom(const std::filesystem::path& folder)
{
    std::vector<int> inherited;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        const auto target = std::filesystem::read_symlink(entry.path(), ec);
        if (!ec && target.string().starts_with(folder.string()))
            inherited.push_back(std::stoi(entry.path().filename().string()));
    }
    for (const int fd : inherited)
        ::close(fd);
}

const char* g_dieAt = nullptr;
void dieAtChosenPoint(const char* point)
{
    if (g_dieAt && std::string_view(point) == g_dieAt)
        ::kill(::getpid(), SIGKILL);
}

} // namespace

TEST(SharedFolder, ProcessesAppendingAtTheSameMomentKeepEveryRecord)
{
    TempFolder dir;
    constexpr int kProcesses = 4;
    constexpr int kEach = 300;
    Pipe start;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        children.push_back(spawn([&, p] {
            if (!start.wait())
                return 2;
            // Half the appends reopen the file each time, as the editors do; the rest share one open.
            RecordFile kept(dir / "USERS.DAT", 160);
            for (int i = 0; i < kEach; ++i) {
                const std::string record = userBytes(std::string(1, 'P').append(std::to_string(p)), std::to_string(i));
                if (i % 2 == 0) {
                    RecordFile once(dir / "USERS.DAT", 160);
                    once.appendRaw(record);
                } else {
                    kept.appendRaw(record);
                }
            }
            return 0;
        }));
    }
    start.post(kProcesses);
    for (const pid_t pid : children)
        EXPECT_EQ(reap(pid), 0);

    const auto users = readAllRecords<UserRecord>(dir / "USERS.DAT");
    ASSERT_EQ(users.size(), static_cast<std::size_t>(kProcesses * kEach));
    std::set<std::string> seen;
    for (const UserRecord& u : users)
        seen.insert(u.UserName.substr(0, 3) + u.PagerId.substr(0, 4));
    EXPECT_EQ(seen.size(), users.size()) << "a record was overwritten";
}

TEST(SharedFolder, WhileAnotherWorkstationHoldsTheFileADeleteOrASortIsRefused)
{
    TempFolder dir;
    const DataFolder folder(dir.path());
    const std::string before = userBytes("carol") + userBytes("Alice") + userBytes("bob");
    dir.write("USERS.DAT", before);
    dir.write("GROUP.DAT", std::string(50, 'a') + std::string(50, 'b'));
    dir.write("TERMINAL.DAT", std::string(64, 'a') + std::string(64, 'b'));

    Pipe opened;
    Pipe refused;
    const pid_t holder = spawn([&] {
        RecordFile users(dir / "USERS.DAT", 160);
        RecordFile terminals(dir / "TERMINAL.DAT", 64);
        opened.post();
        return refused.wait() ? 0 : 1;
    });
    ASSERT_TRUE(opened.wait());

    DeleteResult result = deleteUser(folder, 2);
    EXPECT_EQ(result.status, DeleteStatus::InUse);
    EXPECT_EQ(result.message, "Can not delete user when file is opened by another user");
    result = deleteTerminal(folder, 1);
    EXPECT_EQ(result.status, DeleteStatus::InUse);
    EXPECT_EQ(result.message, "Can not delete record while other users have the file open");
    // Only USERS.DAT is held elsewhere: the group delete must not touch GROUP.DAT either.
    result = deleteGroup(folder, 1);
    EXPECT_EQ(result.status, DeleteStatus::InUse);
    EXPECT_EQ(result.message, "Can not delete group while other users have the file open");
    EXPECT_EQ(sortUsers(folder), SortOutcome::InUse);
    EXPECT_EQ(kSortRefusedInUse, "Another workstation has the user list open; sort again when it is closed.");
    EXPECT_EQ(dir.read("USERS.DAT"), before);
    EXPECT_EQ(dir.read("GROUP.DAT"), std::string(50, 'a') + std::string(50, 'b'));
    EXPECT_EQ(dir.read("TERMINAL.DAT"), std::string(64, 'a') + std::string(64, 'b'));
    EXPECT_EQ(dir.fileCount(), 3) << "a refused delete leaves no scratch file";

    refused.post();
    EXPECT_EQ(reap(holder), 0);
    EXPECT_EQ(sortUsers(folder), SortOutcome::Done);
    EXPECT_EQ(dir.read("USERS.DAT"), userBytes("Alice") + userBytes("bob") + userBytes("carol"));
    EXPECT_TRUE(deleteUser(folder, 2).deleted());
    EXPECT_EQ(dir.read("USERS.DAT"), userBytes("Alice") + userBytes("carol"));
}

// Sorting in place record by record while another copy held the file left users twice and others lost
// whenever the sorting process died part-way.
TEST(SharedFolder, SortsKilledAtAnyMomentWhileAnotherWorkstationHoldsTheFileLeaveItAsItWas)
{
    TempFolder dir;
    std::string users;
    for (int i = 0; i < 2000; ++i)
        users += userBytes("U" + std::to_string(i * 7919 % 2000), std::to_string(i));
    Pipe opened;
    Pipe done;
    dir.write("USERS.DAT", users);
    const pid_t holder = spawn([&] {
        RecordFile held(dir / "USERS.DAT", 160);
        opened.post();
        return done.wait() ? 0 : 1;
    });
    ASSERT_TRUE(opened.wait());
    for (int round = 0; round < 20; ++round) {
        const pid_t sorter = spawn([&] {
            closeFilesInheritedFrom(dir.path());
            for (;;)
                sortUsers(DataFolder(dir.path()));
            return 0;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(1 + round * 3 % 25));
        ::kill(sorter, SIGKILL);
        EXPECT_EQ(reap(sorter), 128 + SIGKILL);
        ASSERT_EQ(dir.read("USERS.DAT"), users) << "round " << round;
    }
    done.post();
    EXPECT_EQ(reap(holder), 0);
}

TEST(SharedFolder, AGroupDeleteWhileAnotherWorkstationHoldsOnlyGroupDatShiftsNoUsersFlags)
{
    TempFolder dir;
    const std::string users = userBytes("Ann", "1", "0110000001");
    const std::string groups = padded("G1", 50) + padded("G2", 50) + padded("G3", 50);
    dir.write("USERS.DAT", users);
    dir.write("GROUP.DAT", groups);
    Pipe opened;
    Pipe deleted;
    const pid_t holder = spawn([&] {
        RecordFile groupsTab(dir / "GROUP.DAT", 50); // another workstation's groups tab
        opened.post();
        return deleted.wait() ? 0 : 1;
    });
    ASSERT_TRUE(opened.wait());
    const DeleteResult result = deleteGroup(DataFolder(dir.path()), 2);
    deleted.post();
    EXPECT_EQ(reap(holder), 0);
    EXPECT_EQ(result.status, DeleteStatus::InUse);
    EXPECT_EQ(result.message, "Can not delete group while other users have the file open");
    EXPECT_EQ(dir.read("USERS.DAT"), users) << "the users were rewritten for a group that stays";
    EXPECT_EQ(dir.read("GROUP.DAT"), groups);
    EXPECT_EQ(dir.fileCount(), 2) << "a refused delete leaves no scratch file";
}

TEST(SharedFolder, AProcessThatDiesDuringACompactionLeavesAWholeFile)
{
    const struct {
        const char* point;
        bool deleted;
    } cases[] = { { "scratch-written", false }, { "renamed", true } };
    for (const auto& c : cases) {
        TempFolder dir;
        const std::string before = userBytes("Ann") + userBytes("Bob") + userBytes("Cy");
        dir.write("USERS.DAT", before);
        const pid_t pid = spawn([&] {
            g_dieAt = c.point;
            setReplaceTestHook(dieAtChosenPoint);
            deleteUser(DataFolder(dir.path()), 2);
            return 0;
        });
        EXPECT_EQ(reap(pid), 128 + SIGKILL) << c.point;
        EXPECT_EQ(dir.read("USERS.DAT"), c.deleted ? userBytes("Ann") + userBytes("Cy") : before) << c.point;
        if (!c.deleted) {
            // The scratch file names its host and process: a start removes it now that the process is gone,
            // but not a live process's, nor another host's, which are left for an hour.
            std::string name;
            for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
                if (entry.path().filename().string().starts_with("TEMP.DAT."))
                    name = entry.path().filename().string();
            const std::string host = name.substr(9, name.find('.', 9) - 9);
            EXPECT_EQ(name.substr(0, name.size() - 6), "TEMP.DAT." + host + "." + std::to_string(pid) + ".");
            dir.write("TEMP.DAT." + host + "." + std::to_string(::getpid()) + ".a1b2c3", "live");
            dir.write("TEMP.DAT.elsewhere." + std::to_string(pid) + ".a1b2c3", "another host");
            removeAbandonedScratchFiles(DataFolder(dir.path()));
            EXPECT_FALSE(dir.exists(name));
            EXPECT_EQ(dir.fileCount(), 3);
        }

        // The survivors carry on: the next delete works and does not pick up the dead one's scratch file.
        EXPECT_TRUE(deleteUser(DataFolder(dir.path()), 1).deleted()) << c.point;
        EXPECT_EQ(readAllRecords<UserRecord>(dir / "USERS.DAT").size(), c.deleted ? 1u : 2u);
    }
}

TEST(SharedFolder, AnOpenThatWaitedOutAReplacementUsesTheNewFile)
{
    TempFolder dir;
    dir.write("USERS.DAT", userBytes("Ann") + userBytes("Bob"));
    Pipe appended;
    pid_t latecomer = -1;
    {
        RecordFile file(dir / "USERS.DAT", 160);
        const RecordFile::WriterLock writer(file);
        RecordFile::SoleHold hold(file);
        ASSERT_TRUE(hold.held());
        RecordFile::Replacement replacement(file, hold, userBytes("Bob"));

        // Another workstation opens the file now: it must wait, then find the new file.
        latecomer = spawn([&] {
            closeFilesInheritedFrom(dir.path());
            RecordFile users(dir / "USERS.DAT", 160);
            users.appendRaw(userBytes("Dee"));
            appended.post();
            return 0;
        });
        ASSERT_TRUE(someoneWaitsForALock());
        replacement.commit();
    }
    ASSERT_TRUE(appended.wait());
    EXPECT_EQ(reap(latecomer), 0);
    EXPECT_EQ(dir.read("USERS.DAT"), userBytes("Bob") + userBytes("Dee"));
}

TEST(SharedFolder, AfterAnotherWorkstationSortsTheUserShownHereIsNotWrittenOverByItsOldRow)
{
    TempFolder dir;
    const DataFolder folder(dir.path());
    dir.write("USERS.DAT", userBytes("Zed", "111") + userBytes("Amy") + userBytes("Bob"));
    const ShownRecord zed = shownUser(1, UserRecord::decode(userBytes("Zed", "111")));
    EXPECT_EQ(reap(spawn([&] {
        sortUsers(folder);
        return 0;
    })),
        0);
    const EditResult result = updateUser(folder, zed, UserRecord { "Zed", "999", "Ravenpage", "0000000000" });
    EXPECT_EQ(result.status, EditStatus::Changed);
    EXPECT_EQ(dir.read("USERS.DAT"), userBytes("Amy") + userBytes("Bob") + userBytes("Zed", "111"));
}
