// End to end: a copy of crash_program.exe crashes on purpose over stale crash files of its names, and
// the files it leaves are read.
#include <stdio.h>

#include <algorithm>
#include <fstream>
#include <regex>

#include "CrashTestFiles.h"

namespace
{

const size_t kStaleSize = 8 << 20;
const std::string kHex8 = "0x[0-9A-F]{8}";
// An address as the report writes it: eight digits on 32-bit, sixteen on 64-bit.
const std::string kZeros = sizeof(void*) == 8 ? "0x0000000000000000" : "0x00000000";
const std::string kAddress = sizeof(void*) == 8 ? "0x[0-9A-F]{16}" : kHex8;
// A 64-bit number written with at least eight digits.
const std::string kHex8Up = "0x[0-9A-F]{8,16}";

struct CrashRun
{
    std::string folder, exe, mainThread;
    unsigned long long function = 0;
    int firstLine = 0, lastLine = 0;
};

CrashRun RunCrashProgram(const std::string& name, const std::string& argument)
{
    CrashRun run;
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    run.folder = std::string(temp) + "karpolin-" + name + "\\";
    CreateDirectoryA(run.folder.c_str(), NULL);
    run.exe = run.folder + name + ".exe";
    EXPECT_TRUE(CopyFileA((ThisFolder() + "crash_program.exe").c_str(), run.exe.c_str(), FALSE));
    // Longer than any dump, so that a file that was written over but not replaced keeps its size.
    std::ofstream(run.folder + name + "_Debug.dmp", std::ios::binary) << std::string(kStaleSize, '-');
    std::ofstream(run.folder + name + "_Debug.txt", std::ios::binary) << std::string(kStaleSize, '-');

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::string command = "\"" + run.exe + "\" " + argument;
    EXPECT_TRUE(CreateProcessA(run.exe.c_str(), &command[0], NULL, NULL, FALSE, 0, NULL, run.folder.c_str(),
                               &startup, &process));
    // About a second under Wine; the system's default handling ends the process.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 40000)) << "the program did not end";
    TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    // Both filter calls answer EXCEPTION_CONTINUE_SEARCH (0) on their own thread, the second at once;
    // the system's debugger may write on after them.
    const std::string log = ReadWholeFile(run.folder + "output.log");
    std::smatch match;
    EXPECT_TRUE(std::regex_search(log, match,
                                  std::regex("main (\\d+) (\\w+) (\\d+)-(\\d+)\r\nfilter 1 \\1 0\r\n"
                                             "second (\\d+)\r\nfilter 2 \\5 0\r\n"),
                                  std::regex_constants::match_continuous))
        << log;
    if (match.size() == 6)
    {
        run.mainThread = match[1];
        run.function = std::stoull(match[2], NULL, 16);
        run.firstLine = std::stoi(match[3]);
        run.lastLine = std::stoi(match[4]);
    }
    return run;
}

std::string Escape(const std::string& text)
{
    return std::regex_replace(text, std::regex("[\\\\^$.|?*+()\\[\\]{}]"), "\\$&");
}

// The report up to its architecture line, which every report has; group 1 is the exception address.
std::string HeadPattern(const std::string& thread)
{
    const std::string h8 = kHex8, h4 = "0x[0-9A-F]{4}";
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    char os[300];
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    sprintf(os, " [%lu.%lu] Build %lu %s\r\n", version.dwMajorVersion, version.dwMinorVersion,
            version.dwBuildNumber, version.szCSDVersion);
    // The register lines of the build's processor; group 1 is the exception address.
    const std::string h16 = "0x[0-9A-F]{16}";
    const std::string registers =
        sizeof(void*) == 8
            ? "RAX=" + h16 + ", CS=" + h4 + ", RIP=\\1, Flags=" + h8 + "\r\nRBX=" + h16 + ", SS=" + h4 +
                  ", RSP=" + h16 + ", RBP=" + h16 + "\r\nRCX=" + h16 + ", DS=" + h4 + ", RSI=" + h16 +
                  ", FS=" + h4 + "\r\nRDX=" + h16 + ", ES=" + h4 + ", RDI=" + h16 + ", GS=" + h4 +
                  "\r\nR8=" + h16 + ", R9=" + h16 + ", R10=" + h16 + ", R11=" + h16 + "\r\nR12=" + h16 +
                  ", R13=" + h16 + ", R14=" + h16 + ", R15=" + h16 + "\r\n"
            : "EAX=" + h8 + ", CS=" + h4 + ", EIP=\\1, Flags=" + h8 + "\r\nEBX=" + h8 + ", SS=" + h4 +
                  ", ESP=" + h8 + ", EBP=" + h8 + "\r\nECX=" + h8 + ", DS=" + h4 + ", ESI=" + h8 +
                  ", FS=" + h4 + "\r\nEDX=" + h8 + ", ES=" + h4 + ", EDI=" + h8 + ", GS=" + h4 + "\r\n";
    const std::string architecture = sizeof(void*) == 8 ? "x64" : "x86";
    return "Access Violation \\[0xC0000005\\] at (" + kAddress + ") in Thread " + thread +
           "\\.\r\nRead from location " + kZeros + "\\.\r\n\r\n" + registers + "\r\n(.+ \\d+ Mhz\r\n){" +
           std::to_string(system.dwNumberOfProcessors) + "}.+" + Escape(os) + architecture +
           (wow64 ? " WOW64 Ansi\r\n" : " Ansi\r\n");
}

// A section: an empty line, its title and its header, and among the lines after them one that is `row`.
bool HasRow(const std::vector<std::string>& lines, const char* title, const char* header,
            const std::regex& row)
{
    auto at = std::find(lines.begin(), lines.end(), title);
    if (at == lines.begin() || lines.end() - at < 2 || !at[-1].empty() || at[1] != header)
        return false;
    return std::any_of(at + 2, lines.end(),
                       [&](const std::string& line) { return std::regex_match(line, row); });
}

} // namespace

TEST(CrashProgram, FirstCrashWritesDumpAndReportOverOldFilesAndSecondWritesNothing)
{
    CrashRun run = RunCrashProgram("Viewer", "");
    ASSERT_FALSE(run.mainThread.empty());

    const std::string dump = ReadWholeFile(run.folder + "Viewer_Debug.dmp");
    EXPECT_LT(dump.size(), kStaleSize) << "the old dump was not replaced";
    ExpectValidMinidump(dump, std::stoul(run.mainThread), EXCEPTION_ACCESS_VIOLATION);
    const std::string report = ReadWholeFile(run.folder + "Viewer_Debug.txt");
    EXPECT_LT(report.size(), kStaleSize) << "the old report was not replaced";
    EXPECT_EQ(std::string::npos, report.find("0x00000BAD")) << "a report of the second exception:\n"
                                                            << report;
    const std::vector<std::string> lines = SplitReportLines(report);

    // The stack's first frame is the crashing function, with a line of it.
    std::smatch match;
    ASSERT_TRUE(std::regex_search(
        report, match,
        std::regex(HeadPattern(run.mainThread) +
                   "\r\nStack:\r\nReadFromAddressZero\\(0x[0-9A-F]+,0x[0-9A-F]+,0x[0-9A-F]+,"
                   "0x[0-9A-F]+\\) - Line (\\d+) in .*\\\\tests\\\\crash\\\\program\\\\"
                   "CrashProgram\\.cpp\r\n"),
        std::regex_constants::match_continuous))
        << report;
    EXPECT_LT(std::stoull(match[1], NULL, 16) - run.function, 16u) << "the exception lies in the function";
    EXPECT_TRUE(std::stoi(match[3]) >= run.firstLine && std::stoi(match[3]) <= run.lastLine) << match[3];

    // The module list names the program; the thread list has the crashed thread with its start address
    // and its name, cut to 99 characters.
    const std::string version = " +\\d+\\.\\d{4}\\.\\d{4}\\.\\d{5}";
    EXPECT_TRUE(
        HasRow(lines, "ModuleList:", "    Size TimeStamp                      CheckSum   ImageBase  Versions",
               std::regex(" *\\d+ " + kHex8 + " .{10} .{8} " + kHex8 + " " + kHex8Up + version + version +
                              " - " + Escape(run.exe),
                          std::regex::icase)))
        << report;
    EXPECT_TRUE(HasRow(lines, "ThreadList:", "Id         StackBase  StackEnd   StartAddress",
                       std::regex(run.mainThread + " +" + kHex8Up + " " + kHex8Up + " (?!" + kZeros + ")" +
                                  kAddress + " .* crashing main thread x{78}")))
        << report;
}

TEST(CrashProgram, InjectedMissingDebugHelpLeavesReportEndingAfterArchitecture)
{
    CrashRun run = RunCrashProgram("NoDebugHelp", "karpolin-missing-dbghelp.dll");
    ASSERT_FALSE(run.mainThread.empty());
    EXPECT_EQ(kStaleSize, ReadWholeFile(run.folder + "NoDebugHelp_Debug.dmp").size()) << "no minidump";
    const std::string report = ReadWholeFile(run.folder + "NoDebugHelp_Debug.txt");
    EXPECT_TRUE(std::regex_match(report, std::regex(HeadPattern(run.mainThread)))) << report;
}
