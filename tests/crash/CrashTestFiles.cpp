#include "CrashTestFiles.h"

#include <gtest/gtest.h>

#include <dbghelp.h>
#include <string.h>

std::string ThisFolder()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof(path));
    std::string folder(path, length);
    return folder.substr(0, folder.rfind('\\') + 1);
}

std::string MakeTempFolder(const char* name)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    std::string folder = std::string(temp) + "karpolin-" + name + "\\";
    RemoveFolder(folder);
    EXPECT_TRUE(CreateDirectoryA(folder.c_str(), NULL)) << folder;
    return folder;
}

void RemoveFolder(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE)
    {
        do
        {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((folder + found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

std::string ReadWholeFile(const std::string& path)
{
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                    OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
    {
        ADD_FAILURE() << "cannot read " << path;
        return std::string();
    }
    std::string data;
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &read, NULL) && read > 0)
        data.append(chunk, read);
    CloseHandle(file);
    return data;
}

void WriteWholeFile(const std::string& path, const std::string& data)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, data.data(), (DWORD)data.size(), &written, NULL));
    CloseHandle(file);
}

std::vector<std::string> SplitReportLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size())
    {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
        {
            ADD_FAILURE() << "the last line does not end in CR LF: " << text.substr(start);
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        EXPECT_EQ(std::string::npos, line.find_first_of("\r\n")) << "a lone CR or LF in: " << line;
        lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

void ExpectValidMinidump(const std::string& dump, DWORD threadId, DWORD code)
{
    ASSERT_GE(dump.size(), sizeof(MINIDUMP_HEADER));
    const MINIDUMP_HEADER* header = reinterpret_cast<const MINIDUMP_HEADER*>(dump.data());
    EXPECT_EQ(0, memcmp(dump.data(), "MDMP", 4));
    ASSERT_GT(header->NumberOfStreams, 0u);
    ASSERT_LE(header->StreamDirectoryRva + header->NumberOfStreams * sizeof(MINIDUMP_DIRECTORY), dump.size());
    const MINIDUMP_DIRECTORY* directory =
        reinterpret_cast<const MINIDUMP_DIRECTORY*>(dump.data() + header->StreamDirectoryRva);
    bool exceptionSeen = false, threadsSeen = false, modulesSeen = false;
    for (ULONG32 i = 0; i < header->NumberOfStreams; i++)
    {
        const MINIDUMP_LOCATION_DESCRIPTOR& location = directory[i].Location;
        if (directory[i].StreamType == UnusedStream)
            continue;
        EXPECT_LE((size_t)location.Rva + location.DataSize, dump.size())
            << "stream " << directory[i].StreamType;
        if ((size_t)location.Rva + location.DataSize > dump.size())
            continue;
        const char* data = dump.data() + location.Rva;
        switch (directory[i].StreamType)
        {
        case ExceptionStream:
        {
            const MINIDUMP_EXCEPTION_STREAM* stream =
                reinterpret_cast<const MINIDUMP_EXCEPTION_STREAM*>(data);
            EXPECT_EQ(threadId, stream->ThreadId);
            EXPECT_EQ(code, stream->ExceptionRecord.ExceptionCode);
            exceptionSeen = true;
            break;
        }
        case ThreadListStream:
            threadsSeen = reinterpret_cast<const MINIDUMP_THREAD_LIST*>(data)->NumberOfThreads > 0;
            break;
        case ModuleListStream:
            modulesSeen = reinterpret_cast<const MINIDUMP_MODULE_LIST*>(data)->NumberOfModules > 0;
            break;
        default:
            break;
        }
    }
    EXPECT_TRUE(exceptionSeen);
    EXPECT_TRUE(threadsSeen);
    EXPECT_TRUE(modulesSeen);
}

C_TempReport::C_TempReport()
{
    char folder[MAX_PATH], name[MAX_PATH];
    GetTempPathA(sizeof(folder), folder);
    GetTempFileNameA(folder, "krp", 0, name);
    m_path = name;
    m_file = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, NULL);
    EXPECT_NE(INVALID_HANDLE_VALUE, m_file);
}

C_TempReport::~C_TempReport()
{
    if (m_file != INVALID_HANDLE_VALUE)
        CloseHandle(m_file);
    DeleteFileA(m_path.c_str());
}

std::string C_TempReport::Text() const
{
    std::string data;
    DWORD size = GetFileSize(m_file, NULL);
    if (size == INVALID_FILE_SIZE || size == 0)
        return data;
    data.resize(size);
    DWORD read = 0;
    OVERLAPPED at;
    memset(&at, 0, sizeof(at));
    // Reads from the start; the position ends at the end of the file, where writing goes on.
    ReadFile(m_file, &data[0], size, &read, &at);
    data.resize(read);
    return data;
}
