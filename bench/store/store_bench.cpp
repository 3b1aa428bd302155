#include "store/compaction.h"
#include "store/directory_edits.h"
#include "store/directory_state.h"
#include "store/record_file.h"
#include "store/sort_users.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

using namespace tolvane::store;

namespace {

constexpr int kUsers = 10000;

// A folder holding USERS.DAT with kUsers users in random name order.
class UserFolder {
public:
    UserFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tolvane-bench-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
        std::mt19937 random(42);
        std::uniform_int_distribution<int> letter('a', 'z');
        for (int i = 0; i < kUsers; ++i) {
            UserRecord user;
            user.UserName.push_back(static_cast<char>(letter(random) - 'a' + 'A'));
            for (int k = 0; k < 11; ++k)
                user.UserName.push_back(static_cast<char>(letter(random)));
            user.PagerId = std::to_string(5550000 + i);
            user.PagingCompany = "Ravenpage";
            user.GroupFlags = "0100000010";
            m_unsorted += user.encode();
        }
        reset();
    }
    ~UserFolder() { std::filesystem::remove_all(m_path); }

    void reset() const
    {
        std::ofstream out(m_path / "USERS.DAT", std::ios::binary | std::ios::trunc);
        out.write(m_unsorted.data(), static_cast<std::streamsize>(m_unsorted.size()));
    }
    DataFolder folder() const { return DataFolder(m_path); }

private:
    std::filesystem::path m_path;
    std::string m_unsorted;
};

void SortTenThousandUsers(benchmark::State& state)
{
    const UserFolder users;
    for (auto _ : state) {
        state.PauseTiming();
        users.reset();
        state.ResumeTiming();
        sortUsers(users.folder());
    }
}
BENCHMARK(SortTenThousandUsers)->Unit(benchmark::kMillisecond);

void ListTenThousandUsers(benchmark::State& state)
{
    const UserFolder users;
    for (auto _ : state) {
        const auto all = readAllRecords<UserRecord>(users.folder().pathOf<UserRecord>());
        benchmark::DoNotOptimize(all.data());
    }
}
BENCHMARK(ListTenThousandUsers)->Unit(benchmark::kMillisecond);

void DeleteOneOfTenThousandUsers(benchmark::State& state)
{
    const UserFolder users;
    for (auto _ : state) {
        state.PauseTiming();
        users.reset();
        state.ResumeTiming();
        const DeleteResult result = deleteUser(users.folder(), kUsers / 2);
        if (!result.deleted())
            state.SkipWithError(result.message.c_str());
    }
}
BENCHMARK(DeleteOneOfTenThousandUsers)->Unit(benchmark::kMillisecond);

void AppendOneUser(benchmark::State& state)
{
    const UserFolder users;
    const std::string record = UserRecord { "Newcomer", "1", "Ravenpage", "0000000000" }.encode();
    for (auto _ : state) {
        RecordFile file(users.folder().pathOf<UserRecord>(), UserRecord::kLength);
        file.appendRaw(record);
    }
}
BENCHMARK(AppendOneUser)->Unit(benchmark::kMicrosecond);

// The watcher's regular look at the directory files: what every few seconds costs with a large directory.
void LookAtTenThousandUsers(benchmark::State& state)
{
    const UserFolder users;
    for (auto _ : state)
        benchmark::DoNotOptimize(directoryState(users.folder()));
}
BENCHMARK(LookAtTenThousandUsers)->Unit(benchmark::kMillisecond);

// An update checks the record shown, and a new name against every other, under the writer lock.
void UpdateOneOfTenThousandUsers(benchmark::State& state)
{
    const UserFolder users;
    const DataFolder folder = users.folder();
    RecordFile file(folder.pathOf<UserRecord>(), UserRecord::kLength);
    const UserRecord shown = readRecord<UserRecord>(file, kUsers / 2);
    UserRecord renamed = shown;
    renamed.UserName = "Renamed Once";
    for (auto _ : state) {
        state.PauseTiming();
        users.reset();
        state.ResumeTiming();
        const EditResult result = updateUser(folder, shownUser(kUsers / 2, shown), renamed);
        if (!result.written())
            state.SkipWithError(result.message.c_str());
    }
}
BENCHMARK(UpdateOneOfTenThousandUsers)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
