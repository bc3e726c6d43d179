#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The folder of the running test program, with its trailing backslash.
std::string ThisFolder();
// An empty folder "karpolin-<name>" below the temporary folder, with its trailing backslash; whatever
// an earlier run left there is removed first, so that the last run's files stay for inspection.
std::string MakeTempFolder(const char* name);
// Deletes the files in `folder` and the folder itself.
void RemoveFolder(const std::string& folder);
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& data);

// The lines of a crash report. Every line must end in CR LF, the last one included, and no CR or LF
// may stand alone; a failure is recorded on the running test.
std::vector<std::string> SplitReportLines(const std::string& text);

// Checks that `dump` is a whole minidump whose exception stream names `threadId` and `code`.
void ExpectValidMinidump(const std::string& dump, DWORD threadId, DWORD code);

// A temporary file that report lines are written into, and read back from.
class C_TempReport
{
public:
    C_TempReport();
    ~C_TempReport();
    HANDLE Handle() const { return m_file; }
    // Everything written so far.
    std::string Text() const;
    std::vector<std::string> Lines() const { return SplitReportLines(Text()); }

private:
    C_TempReport(const C_TempReport&) = delete;
    C_TempReport& operator=(const C_TempReport&) = delete;

    std::string m_path;
    HANDLE m_file;
};
