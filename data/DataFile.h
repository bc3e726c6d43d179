#pragma once

#include <windows.h>

#include <atomic>

#include "data/Measurement.h"
#include "ui/MessageOwner.h"

// A file handle with the two ways the program opens files; closes its file when destroyed.
class C_File
{
public:
    enum Mode
    {
        kRead = 0, // GENERIC_READ, OPEN_EXISTING
        kWrite = 1 // GENERIC_WRITE, CREATE_ALWAYS
    };
    C_File() : m_file(NULL), m_mode(kRead) {}
    ~C_File() { Close(); }
    int Open(const char* name, int mode);
    // 1 only when exactly `count` bytes were read; `received`, when given, gets how many arrived. A
    // read the system refuses for want of resources is redone in pieces of 1 MiB.
    int Read(DWORD count, void* buffer, DWORD* received = NULL);
    int Write(DWORD count, const void* buffer);
    // 1 when what was written has reached the disk.
    int Flush() { return FlushFileBuffers(m_file) ? 1 : 0; }
    // 0 when no file was open.
    int Close();
    // 1 when the position is the file's size; 0 also when either cannot be had.
    int IsAtEnd();

private:
    C_File(const C_File&) = delete;
    C_File& operator=(const C_File&) = delete;
    HANDLE m_file;
    int m_mode;
};

// The system's open or save dialog; nonzero when the user chose a file, whose full path is then in
// `name` (`size` bytes). `filter` ends with its separator character.
int AskFileName(HWND owner, const char* filter, const char* title, int save, char* name, int size);

// The dialog's decisions. The structure's older, shorter form for the systems before Windows 2000.
DWORD FileDialogStructSize(DWORD osClass);
// `filter` with each of its separators, its last character, turned into a NUL; ends with two NULs,
// cut to fit `size` bytes.
void SplitFilter(const char* filter, char* copy, int size);

typedef BOOL(WINAPI* FileReadProc)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
typedef BOOL(WINAPI* FileWriteProc)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
// Tests only: C_File reads and writes through these; null restores the system's.
void InjectFileCalls(FileReadProc read, FileWriteProc write);

// What Save writes and Open fills; the main window owns all of it.
struct DataFileJob
{
    MessageOwner owner;
    C_File* file = nullptr;
    MeasurementHeader* header = nullptr;
    RecordList* records = nullptr;
    std::atomic<LONG>* dataValid = nullptr;
    // Rebuilds the display from the data; may be null.
    void (*refreshDisplay)(void* context) = nullptr;
    void* context = nullptr;
    // Seam for tests: the allocation of a node.
    RecordNode* (*newNode)() = nullptr;
};

// The save or open dialog of the selected language, with the filter of string `filterString` and
// `preset` offered as the name; `name` holds MAX_PATH bytes. Nonzero when the user chose a file.
int AskDataFileName(const MessageOwner& owner, int save, UINT filterString, const char* preset, char* name);

// Writes a file's content into `file`; 0 with the number that the write failure message shows.
typedef int (*FileContentWriter)(C_File& file, void* content, UINT* failed);
// Writes a file of its own beside the target with `write` and replaces the target only when every
// byte is on the disk, so a failed write never destroys a good file. Reports its failures; 1 when
// the target was written.
int ReplaceFileSafely(const MessageOwner& owner, C_File& file, const char* name, FileContentWriter write,
                      void* content);

// The Save and Open commands: the file dialog, then the file.
// Save returns 1 when the file was written.
int SaveDataFile(DataFileJob& job);
void OpenDataFile(DataFileJob& job);

// The same after the dialog, for the chosen `name`; Save replaces the target safely and returns 1
// when the file was written.
int WriteDataFile(DataFileJob& job, const char* name);
void ReadDataFile(DataFileJob& job, const char* name);
