#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <dbghelp.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// The folder of the running test program, with its trailing backslash.
inline std::string ThisFolder()
{
    char path[MAX_PATH];
    std::string folder(path, GetModuleFileNameA(NULL, path, sizeof(path)));
    return folder.substr(0, folder.rfind('\\') + 1);
}

inline std::string ReadWholeFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A pipe that report lines are written into, and read back from.
class C_ReportPipe
{
public:
    C_ReportPipe() { EXPECT_TRUE(CreatePipe(&m_in, &m_out, NULL, 1 << 16)); }
    C_ReportPipe(const C_ReportPipe&) = delete;
    ~C_ReportPipe() { CloseHandle(m_in), CloseHandle(m_out); }
    operator HANDLE() const { return m_out; }
    // Everything written so far.
    std::string Text()
    {
        DWORD size = 0, read = 0;
        PeekNamedPipe(m_in, NULL, 0, NULL, &size, NULL);
        std::string text(size, 0);
        if (size)
            ReadFile(m_in, &text[0], size, &read, NULL);
        return text.substr(0, read);
    }

private:
    HANDLE m_in = NULL, m_out = NULL;
};

// The lines of a report; every line, the last included, must end in CR LF, with no lone CR or LF.
inline std::vector<std::string> SplitReportLines(const std::string& text)
{
    std::vector<std::string> lines;
    for (size_t start = 0, end = 0; start < text.size(); start = end + 2)
    {
        end = text.find("\r\n", start);
        EXPECT_NE(std::string::npos, end) << "no CR LF at the end: " << text.substr(start);
        end = std::min(end, text.size());
        lines.push_back(text.substr(start, end - start));
        EXPECT_EQ(std::string::npos, lines.back().find_first_of("\r\n")) << lines.back();
    }
    return lines;
}

// A whole minidump whose one exception stream names `threadId` and `code`.
inline void ExpectValidMinidump(const std::string& dump, DWORD threadId, DWORD code)
{
    ASSERT_GE(dump.size(), sizeof(MINIDUMP_HEADER));
    ASSERT_EQ("MDMP", dump.substr(0, 4));
    const MINIDUMP_HEADER* header = reinterpret_cast<const MINIDUMP_HEADER*>(dump.data());
    ASSERT_LE(header->StreamDirectoryRva + header->NumberOfStreams * sizeof(MINIDUMP_DIRECTORY), dump.size());
    const MINIDUMP_DIRECTORY* directory =
        reinterpret_cast<const MINIDUMP_DIRECTORY*>(dump.data() + header->StreamDirectoryRva);
    int exceptions = 0;
    for (ULONG32 i = 0; i < header->NumberOfStreams; i++)
    {
        const MINIDUMP_LOCATION_DESCRIPTOR& at = directory[i].Location;
        ASSERT_LE((size_t)at.Rva + at.DataSize, dump.size()) << "stream " << directory[i].StreamType;
        if (directory[i].StreamType != ExceptionStream)
            continue;
        const MINIDUMP_EXCEPTION_STREAM* stream =
            reinterpret_cast<const MINIDUMP_EXCEPTION_STREAM*>(dump.data() + at.Rva);
        EXPECT_EQ(threadId, stream->ThreadId);
        EXPECT_EQ(code, stream->ExceptionRecord.ExceptionCode);
        exceptions++;
    }
    EXPECT_EQ(1, exceptions);
}
