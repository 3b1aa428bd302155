#pragma once

#include "store/data_folder.h"
#include "store/records.h"
#include "store/store_error.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::store {

// One open fixed-length record file. Opening creates a missing file empty.
// Records are numbered from 1; the count is taken from the file length at every call.
//
// Workstations share the directory files, so every open takes part in a small locking protocol (see
// ARCHITECTURE.md): while a RecordFile is open it holds a shared "holder" lock, appends and in-place
// rewrites take an exclusive "writer" lock, and a file is only replaced by one that holds it alone.
// A missing file in a folder that cannot be written opens as an empty, read-only file.
class RecordFile {
public:
    RecordFile(std::filesystem::path path, std::size_t recordLength);
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::size_t recordLength() const { return m_recordLength; }

    // File length / record length, rounded to the nearest whole number, an exact half to even.
    std::int32_t count() const;

    // Record n's bytes; beyond the end of the file, NUL bytes.
    std::string readRaw(std::int32_t n) const;
    // Records 1 to count() in one read, count() * recordLength() bytes (a short last record NUL padded).
    std::string readAllRaw() const;
    // Overwrites record n, or appends when n is count + 1. A number below 1 or beyond count + 1 is refused
    // (error 63), so the file never grows a hole.
    void writeRaw(std::int32_t n, std::string_view bytes);
    // Writes at count + 1, counted under the writer lock; returns the record number written. Use this, not
    // writeRaw(count() + 1), wherever another workstation may append at the same moment.
    std::int32_t appendRaw(std::string_view bytes);

    // Holds the writer lock (waiting for it) for as long as it lives; nests within one RecordFile. Never keep
    // one across calls into other store functions that open the same file: the two opens would wait on each other.
    class WriterLock {
    public:
        explicit WriterLock(RecordFile& file);
        ~WriterLock();
        WriterLock(const WriterLock&) = delete;
        WriterLock& operator=(const WriterLock&) = delete;

    private:
        RecordFile& m_file;
    };

    // Tries to become the file's only holder: this process's other opens of the file step aside, and the
    // attempt fails at once when another process has it open. Released (back to a shared hold) on
    // destruction unless the file was replaced meanwhile.
    class SoleHold {
    public:
        explicit SoleHold(RecordFile& file);
        ~SoleHold();
        SoleHold(const SoleHold&) = delete;
        SoleHold& operator=(const SoleHold&) = delete;

        bool held() const { return m_held; }

    private:
        friend class RecordFile;
        RecordFile& m_file;
        bool m_held = false;
        bool m_replaced = false;
    };

    // A replacement of the whole file: the constructor writes and syncs `bytes` into a scratch file beside the
    // file, commit() renames it over the file in one atomic step, so the file is whole at every moment.
    // Requires a held SoleHold. An uncommitted scratch file is removed on destruction. After commit every open
    // of the file in this process reads the new file from its next call on; this one keeps its locks on the
    // old file until then, so that a caller can replace two files before anyone sees either.
    class Replacement {
    public:
        Replacement(RecordFile& file, SoleHold& hold, std::string_view bytes);
        ~Replacement();
        Replacement(const Replacement&) = delete;
        Replacement& operator=(const Replacement&) = delete;

        void commit();

    private:
        RecordFile& m_file;
        SoleHold& m_hold;
        std::string m_scratch;
    };

    // Replacement(...).commit() in one call.
    void replaceContents(SoleHold& hold, std::string_view bytes);

private:
    friend struct OpenFileRegistry;

    void openAndHold() const;
    void closeFile() const;
    void ensureCurrent() const;
    void lockWriter();
    void unlockWriter();
    [[noreturn]] void failReadOnly() const;

    std::filesystem::path m_path;
    std::size_t m_recordLength;
    // Mutable because a read reopens the file when this process replaced it since the last call.
    mutable int m_fd = -1;
    mutable bool m_readOnly = false;
    mutable bool m_locking = true;
    mutable std::uint64_t m_device = 0;
    mutable std::uint64_t m_inode = 0;
    mutable std::atomic<bool> m_replaced = false;
    int m_writerDepth = 0;
};

// Writes a file that does not exist yet in one step: the bytes go to a synced scratch file beside it,
// which then takes the file's name only if nothing has it. False, and nothing written, when the file
// exists. Throws StoreError.
bool createWholeFile(const std::filesystem::path& path, std::string_view bytes);

// Replaces the file at `path` (creating it when missing) in one step: the bytes go to a synced scratch file
// beside it, which is renamed over it; the folder is synced, so the rename survives a power loss too.
// Throws StoreError.
void replaceWholeFile(const std::filesystem::path& path, std::string_view bytes);

// Syncs a folder's entries (a rename, a new file) to disk; best effort.
void syncFolder(const std::filesystem::path& folder);

// Test seam: called at named points of a replacement ("scratch-written" once a scratch file is whole, also
// for createWholeFile; "renaming" just before the rename, "renamed" after it) so a test can stop the
// process there, or throw StoreError to stand for that step failing. Null (the default) calls nothing.
using ReplaceHook = void (*)(const char* point);
void setReplaceTestHook(ReplaceHook hook);

template <class Record> Record readRecord(const RecordFile& file, std::int32_t n)
{
    return Record::decode(file.readRaw(n));
}

template <class Record> void writeRecord(RecordFile& file, std::int32_t n, const Record& record)
{
    file.writeRaw(n, record.encode());
}

// Open, read every record in order, close: the one read most commands need.
template <class Record> std::vector<Record> readAllRecords(const std::filesystem::path& path)
{
    RecordFile file(path, Record::kLength);
    const std::string all = file.readAllRaw();
    std::vector<Record> records;
    records.reserve(all.size() / Record::kLength);
    for (std::size_t at = 0; at + Record::kLength <= all.size(); at += Record::kLength)
        records.push_back(Record::decode(std::string_view(all).substr(at, Record::kLength)));
    return records;
}

// The same for a record type's file at its place in the folder of this moment. A shared folder that cannot be
// reached throws DirectoryUnreachable, before an open could create an empty file in a bare mount point.
template <class Record> std::vector<Record> readAllRecords(const DataFolder& folder)
{
    if (DataFolder::isDirectoryFile(Record::kFileName) && !folder.directoryReachable())
        throw DirectoryUnreachable(folder.unreachableText());
    return readAllRecords<Record>(folder.pathOf<Record>());
}

// Open, read record n (record 1 of the single-record files), close.
template <class Record> Record readRecordAt(const std::filesystem::path& path, std::int32_t n = 1)
{
    RecordFile file(path, Record::kLength);
    return readRecord<Record>(file, n);
}

template <class Record> void writeRecordAt(const std::filesystem::path& path, std::int32_t n, const Record& record)
{
    RecordFile file(path, Record::kLength);
    writeRecord(file, n, record);
}

} // namespace tolvane::store
