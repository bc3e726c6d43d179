#include "data/DataFile.h"

#include <string.h>

#include <cderr.h>
#include <commdlg.h>

#include "data/RecordReader.h"
#include "sys/OsClass.h"
#include "sys/Target.h"
#include "ui/Dialog.h"
#include "ui/StringTable.h"

namespace
{

enum DataFileString
{
    kStringNoData = 6,
    kStringCantCreate = 7,
    kStringCantWrite = 8, // with 1 for the header, 2 for a record
    kStringCantOpen = 9,
    kStringCantRead = 10, // with 1 for the header, 2 for a record
    kStringFilter = 18,
    kStringTitle = 19
};

const DWORD kReadPiece = 1024 * 1024;

FileReadProc g_readFile = ReadFile;
FileWriteProc g_writeFile = WriteFile;

// The file's bytes for the record reader: its end is what silence is on the card's line.
class C_FileBytes : public C_ByteSource
{
public:
    explicit C_FileBytes(C_File& file) : m_file(file) {}
    int Read(void* buffer, DWORD count, DWORD* received) override
    {
        return m_file.Read(count, buffer, received) || m_file.IsAtEnd();
    }

private:
    C_File& m_file;
};

} // namespace

int C_File::Open(const char* name, int mode)
{
    Close();
    m_mode = mode;
    const int write = mode == kWrite;
    HANDLE file = CreateFileA(name, write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, write ? CREATE_ALWAYS : OPEN_EXISTING, 0, NULL);
    m_file = file == INVALID_HANDLE_VALUE ? NULL : file;
    return m_file ? 1 : 0;
}

int C_File::Read(DWORD count, void* buffer, DWORD* received)
{
    DWORD dummy;
    DWORD& done = received ? *received : dummy;
    done = 0;
    if (g_readFile(m_file, buffer, count, &done, NULL))
        return done == count;
    if (GetLastError() != ERROR_NO_SYSTEM_RESOURCES)
        return 0;
    done = 0;
    while (done < count)
    {
        const DWORD piece = count - done < kReadPiece ? count - done : kReadPiece;
        DWORD got = 0;
        const BOOL read = g_readFile(m_file, static_cast<char*>(buffer) + done, piece, &got, NULL);
        done += got;
        if (!read || got != piece)
            return 0;
    }
    return 1;
}

int C_File::Write(DWORD count, const void* buffer)
{
    DWORD written = 0;
    return g_writeFile(m_file, buffer, count, &written, NULL) && written == count;
}

int C_File::Close()
{
    if (!m_file)
        return 0;
    CloseHandle(m_file);
    m_file = NULL;
    return 1;
}

int C_File::IsAtEnd()
{
    DWORD sizeHigh = 0;
    const DWORD sizeLow = GetFileSize(m_file, &sizeHigh);
    if (sizeLow == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return 0;
    LONG positionHigh = 0;
    const DWORD positionLow = SetFilePointer(m_file, 0, &positionHigh, FILE_CURRENT);
    if (positionLow == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return 0;
    return positionLow == sizeLow && (DWORD)positionHigh == sizeHigh;
}

void InjectFileCalls(FileReadProc read, FileWriteProc write)
{
    g_readFile = read ? read : ReadFile;
    g_writeFile = write ? write : WriteFile;
}

DWORD FileDialogStructSize(DWORD osClass)
{
    const DWORD older = OS_95 | OS_95_OSR2 | OS_98 | OS_98_SE | OS_ME | OS_NT4;
    return osClass & older ? Target::kOpenFileNameOldSize : Target::kOpenFileNameSize;
}

void SplitFilter(const char* filter, char* copy, int size)
{
    if (size < 2)
        return;
    int length = lstrlenA(filter);
    const char separator = length ? filter[length - 1] : 0;
    if (length > size - 2)
        length = size - 2;
    for (int i = 0; i < length; i++)
        copy[i] = filter[i] == separator ? 0 : filter[i];
    copy[length] = copy[length + 1] = 0;
}

int AskFileName(HWND owner, const char* filter, const char* title, int save, char* name, int size)
{
    char filters[C_StringTable::kBufferSize + 1];
    SplitFilter(filter, filters, sizeof(filters));
    OPENFILENAMEA dialog;
    memset(&dialog, 0, sizeof(dialog));
    dialog.lStructSize = FileDialogStructSize(GetOsClass());
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filters;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name;
    dialog.nMaxFile = size;
    dialog.lpstrTitle = title;
    const DWORD common = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NODEREFERENCELINKS | OFN_FORCESHOWHIDDEN;
    dialog.Flags = common | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    for (;;)
    {
        if (save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog))
            return 1;
        // The preset name is one the dialog refuses: offer an empty one instead.
        if (CommDlgExtendedError() != FNERR_INVALIDFILENAME)
            return 0;
        name[0] = 0;
    }
}

int AskDataFileName(const MessageOwner& owner, int save, UINT filterString, const char* preset, char* name)
{
    char filter[C_StringTable::kBufferSize] = "", title[C_StringTable::kBufferSize] = "";
    if (owner.strings)
    {
        owner.strings->LoadLocalizedString(filterString, filter, owner.language);
        owner.strings->LoadLocalizedString(kStringTitle, title, owner.language);
    }
    lstrcpynA(name, preset, MAX_PATH);
    return AskFileName(owner.window ? owner.window->Handle() : NULL, filter, title, save, name, MAX_PATH);
}

int SaveDataFile(DataFileJob& job)
{
    if (!job.dataValid->load())
    {
        ShowStringMessage(job.owner, 0, kStringNoData);
        return 0;
    }
    char name[MAX_PATH];
    return AskDataFileName(job.owner, 1, kStringFilter, "data.dat", name) && WriteDataFile(job, name);
}

void OpenDataFile(DataFileJob& job)
{
    char name[MAX_PATH];
    if (AskDataFileName(job.owner, 0, kStringFilter, "data.dat", name))
        ReadDataFile(job, name);
}

// The header, then every record in list order.
static int WriteData(C_File& file, void* content, UINT* failed)
{
    const DataFileJob& job = *static_cast<const DataFileJob*>(content);
    *failed = 1;
    if (!file.Write(MeasurementHeader::kSize, job.header->bytes))
        return 0;
    *failed = 2;
    for (const RecordNode* node = job.records->First(); node; node = node->next)
        if (!file.Write(PointRecord::kSize, node->record.bytes))
            return 0;
    return 1;
}

int WriteDataFile(DataFileJob& job, const char* name)
{
    return ReplaceFileSafely(job.owner, *job.file, name, WriteData, &job);
}

int ReplaceFileSafely(const MessageOwner& owner, C_File& file, const char* name, FileContentWriter write,
                      void* content)
{
    char target[MAX_PATH], folder[MAX_PATH], temporary[MAX_PATH];
    char* fileName = NULL;
    const DWORD length = GetFullPathNameA(name, MAX_PATH, target, &fileName);
    if (length == 0 || length >= MAX_PATH || !fileName)
    {
        ShowStringMessage(owner, 0, kStringCantCreate);
        return 0;
    }
    lstrcpynA(folder, target, (int)(fileName - target) + 1);
    if (!GetTempFileNameA(folder, "kar", 0, temporary))
    {
        ShowStringMessage(owner, 0, kStringCantCreate);
        return 0;
    }
    if (!file.Open(temporary, C_File::kWrite))
    {
        DeleteFileA(temporary);
        ShowStringMessage(owner, 0, kStringCantCreate);
        return 0;
    }
    UINT failed = 0;
    // On the disk before the target is replaced: a stick pulled later must not take the bytes along.
    const int written = write(file, content, &failed) && file.Flush();
    file.Close();
    if (!written)
    {
        DeleteFileA(temporary);
        ShowStringMessage(owner, 0, kStringCantWrite, failed);
        return 0;
    }
    // Same folder, same volume: the replacement is a rename that either happens whole or not at all.
    if (!MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    {
        DeleteFileA(temporary);
        ShowStringMessage(owner, 0, kStringCantCreate);
        return 0;
    }
    return 1;
}

// The reader's endings as Open sees them: 1 when the data are worth showing.
static int ReadRecords(DataFileJob& job)
{
    C_FileBytes bytes(*job.file);
    C_RecordReader reader(bytes, *job.records, job.newNode, NULL);
    reader.TakeHeader(*job.header);
    switch (reader.ReadRecords())
    {
    case kReadSilent:    // the end of the file where a record would begin, or while skipping
    case kReadEndMarker: // the card's end marker, kept in a capture of its output
        return 1;
    case kReadNoMemory:
        return 0;
    default: // a record cut short by the end of the file, or a read that failed
        ShowStringMessage(job.owner, 0, kStringCantRead, 2u);
        return 0;
    }
}

void ReadDataFile(DataFileJob& job, const char* name)
{
    if (!job.file->Open(name, C_File::kRead))
    {
        ShowStringMessage(job.owner, 0, kStringCantOpen);
        return;
    }
    job.dataValid->store(0);
    ClearRecords(*job.records);
    if (!job.file->Read(MeasurementHeader::kSize, job.header->bytes))
        ShowStringMessage(job.owner, 0, kStringCantRead, 1u);
    else if (ReadRecords(job))
        job.dataValid->store(1);
    if (job.refreshDisplay)
        job.refreshDisplay(job.context);
    job.file->Close();
}
