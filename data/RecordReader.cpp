#include "data/RecordReader.h"

#include <string.h>

C_RecordReader::C_RecordReader(C_ByteSource& source, RecordList& records, RecordNode* (*newNode)(),
                               const std::atomic<LONG>* cancel)
    : m_source(source), m_records(records), m_newNode(newNode ? newNode : NewRecordNode), m_cancel(cancel)
{
}

void C_RecordReader::TakeHeader(MeasurementHeader& header)
{
    const DWORD size = MeasurementHeader::kSize;
    m_last = header.bytes[size - 1];
    for (DWORD i = 2; i < size; ++i)
    {
        if (header.bytes[i] != kCardRecordStart)
            continue;
        PutBack(header.bytes + i, size - i);
        memset(header.bytes + i, ' ', size - i);
        return;
    }
}

RecordsEnding C_RecordReader::ReadRecords()
{
    for (;;)
    {
        RecordsEnding step = ReadRecord();
        if (step == kReadScan)
            step = Scan();
        if (step != kReadGoOn)
            return step;
    }
}

RecordsEnding C_RecordReader::ReadRecord()
{
    RecordNode* node = m_newNode();
    if (!node)
        return kReadNoMemory;
    char* block = node->record.bytes;
    const DWORD size = PointRecord::kSize;
    DWORD got = 0;
    const int read = Take(block, size, &got);
    if (!read || got < size)
    {
        DeleteRecordNode(node);
        if (!read)
            return kReadFailed;
        // A lone 'o', or silence after a block that swallowed it because a byte before it was lost.
        // Bytes pending are the newest received, so a single one is the last byte too.
        if (got <= 1 && m_last == kCardEndMarker)
            return kReadEndMarker;
        // Cancel ends the read in progress: what came is a record cut short by the user.
        if (Cancel() == 1)
            return kReadCancelled;
        return got ? kReadCutShort : kReadSilent;
    }

    // The last carriage return inside the block starts the next record; everything before it is
    // damaged, even where the separators happen to sit right.
    for (DWORD i = size - 1; i > 0; --i)
    {
        if (block[i] != kCardRecordStart)
            continue;
        PutBack(block + i, size - i);
        DeleteRecordNode(node);
        return Cancel() == 1 ? kReadCancelled : kReadGoOn;
    }
    if (!IsWellFormed(node->record))
    {
        DeleteRecordNode(node);
        return Cancel() != 0 ? kReadCancelledInScan : kReadScan;
    }
    m_records.Append(node);
    return Cancel() == 1 ? kReadCancelled : kReadGoOn;
}

RecordsEnding C_RecordReader::Scan()
{
    for (;;)
    {
        char c = 0;
        DWORD got = 0;
        if (!Take(&c, 1, &got))
            return kReadFailed;
        if (got == 0 && Cancel() != 0)
            return kReadCancelledInScan;
        // A silent line sends no carriage return any more: waiting on would wait for ever.
        if (got == 0)
            return m_last == kCardEndMarker ? kReadEndMarker : kReadSilent;
        if (c == kCardRecordStart)
        {
            PutBack(&c, 1);
            return Cancel() == 1 ? kReadCancelled : kReadGoOn;
        }
        if (Cancel() != 0)
            return kReadCancelledInScan;
    }
}

int C_RecordReader::Take(char* target, DWORD count, DWORD* got)
{
    const DWORD kept = m_pendingCount < count ? m_pendingCount : count;
    memcpy(target, m_pending, kept);
    m_pendingCount -= kept;
    memmove(m_pending, m_pending + kept, m_pendingCount);
    DWORD received = 0;
    if (kept < count)
    {
        if (!m_source.Read(target + kept, count - kept, &received))
            return 0;
        // A source that claims more than was asked for is not believed.
        if (received > count - kept)
            received = count - kept;
        if (received)
            m_last = target[kept + received - 1];
    }
    *got = kept + received;
    return 1;
}

// In front of what is pending. At most 81 bytes ever are: the header's tail, or a block's tail of up
// to 47 in front of the at most 33 that one record left of the header's tail.
void C_RecordReader::PutBack(const char* bytes, DWORD count)
{
    memmove(m_pending + count, m_pending, m_pendingCount);
    memcpy(m_pending, bytes, count);
    m_pendingCount += count;
}
