#pragma once

#include <windows.h>

#include <atomic>

#include "data/Measurement.h"

// Where the card's bytes come from: the instrument's line, or a file that holds them.
class C_ByteSource
{
public:
    virtual ~C_ByteSource() {}
    // Reads up to `count` bytes, as many as come before the source falls silent (the line's block
    // time-out, a file's end) or Cancel ends the read. 1 with `received` set, also to 0; 0 when the
    // read itself failed.
    virtual int Read(void* buffer, DWORD count, DWORD* received) = 0;
};

enum CardStreamByte
{
    kCardRecordStart = '\r', // the card begins every record with it and sends none inside one
    kCardEndMarker = 'o'     // sent where the next record would begin, then silence
};

// How reading the records ended. kReadGoOn and kReadScan only pass between the reader's steps.
enum RecordsEnding
{
    kReadEndMarker,       // 'o' where a record would begin, or silence right after an 'o'
    kReadSilent,          // silence where a record would begin, or in a scan after another byte
    kReadCutShort,        // a record begun but not finished before the silence
    kReadFailed,          // the source failed a read
    kReadCancelled,       // Cancel seen after a kept record or a found carriage return
    kReadCancelledInScan, // Cancel seen while a malformed record is skipped
    kReadNoMemory,        // no node for the next record
    kReadGoOn,
    kReadScan
};

// Reads 48-byte records into `records` in arrival order and finds the next record again after damage:
// a carriage return inside a block ends the damaged bytes before it and starts the next record, which
// then lacks only the rest; a malformed block without one is dropped and the bytes after it are
// skipped up to the next carriage return.
class C_RecordReader
{
public:
    // `newNode` null: NewRecordNode. `cancel` null: never cancelled.
    C_RecordReader(C_ByteSource& source, RecordList& records, RecordNode* (*newNode)(),
                   const std::atomic<LONG>* cancel);

    // A carriage return from byte 2 on means that header bytes were lost and record 1 has begun
    // there: the header keeps the bytes before it and is blank (spaces) after.
    void TakeHeader(MeasurementHeader& header);
    RecordsEnding ReadRecords();

private:
    C_RecordReader(const C_RecordReader&) = delete;
    C_RecordReader& operator=(const C_RecordReader&) = delete;

    RecordsEnding ReadRecord(); // kReadGoOn, kReadScan or an ending
    RecordsEnding Scan();       // kReadGoOn or an ending
    // Bytes already received and not yet used come first, then one read of the source for the rest.
    int Take(char* target, DWORD count, DWORD* got);
    void PutBack(const char* bytes, DWORD count);
    LONG Cancel() const { return m_cancel ? m_cancel->load() : 0; }

    C_ByteSource& m_source;
    RecordList& m_records;
    RecordNode* (*m_newNode)();
    const std::atomic<LONG>* m_cancel;
    char m_pending[MeasurementHeader::kSize + PointRecord::kSize];
    DWORD m_pendingCount = 0;
    char m_last = 0; // the last byte the source gave
};
