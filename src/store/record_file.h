#pragma once

#include "store/records.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::store {

// One open fixed-length record file. Opening creates a missing file empty, as the system always did.
// Records are numbered from 1; the count is taken from the file length at every call.
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
    // Overwrites record n, or appends when n is count + 1.
    void writeRaw(std::int32_t n, std::string_view bytes);
    // Writes at count + 1, counted at that moment; returns the record number written.
    std::int32_t appendRaw(std::string_view bytes);

private:
    std::filesystem::path m_path;
    std::size_t m_recordLength;
    int m_fd = -1;
};

template <class Record>
Record readRecord(const RecordFile& file, std::int32_t n)
{
    return Record::decode(file.readRaw(n));
}

template <class Record>
void writeRecord(RecordFile& file, std::int32_t n, const Record& record)
{
    file.writeRaw(n, record.encode());
}

// Open, read every record in order, close: the one read most commands need.
template <class Record>
std::vector<Record> readAllRecords(const std::filesystem::path& path)
{
    RecordFile file(path, Record::kLength);
    std::vector<Record> records;
    const std::int32_t n = file.count();
    records.reserve(static_cast<std::size_t>(n > 0 ? n : 0));
    for (std::int32_t i = 1; i <= n; ++i)
        records.push_back(readRecord<Record>(file, i));
    return records;
}

// Open, read record n (record 1 of the single-record files), close.
template <class Record>
Record readRecordAt(const std::filesystem::path& path, std::int32_t n = 1)
{
    RecordFile file(path, Record::kLength);
    return readRecord<Record>(file, n);
}

template <class Record>
void writeRecordAt(const std::filesystem::path& path, std::int32_t n, const Record& record)
{
    RecordFile file(path, Record::kLength);
    writeRecord(file, n, record);
}

}  // namespace tolvane::store
