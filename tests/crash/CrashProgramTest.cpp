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
const std::string kHex8 = "0x[0-9A-F]{8}", kHex4 = "0x[0-9A-F]{4}";

struct CrashRun
{
    std::string folder, exe, mainThread;
    unsigned function = 0;
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
        run.function = std::stoul(match[2], NULL, 16);
        run.firstLine = std::stoi(match[3]);
        run.lastLine = std::stoi(match[4]);
    }
    return run;
}

std::string Escape(const std::string& text)
{
    return std::regex_replace(text, std::regex("[\\\\^$.|?*+()\\[\\]{}]"), "\\$&");
}

// Each line from `index` on matches its pattern; the index after them.
size_t ExpectLines(const std::vector<std::string>& lines, size_t index,
                   const std::vector<std::string>& patterns)
{
    for (const std::string& pattern : patterns)
    {
        EXPECT_LT(index, lines.size()) << pattern;
        if (index >= lines.size())
            return index;
        EXPECT_TRUE(std::regex_match(lines[index++], std::regex(pattern))) << lines[index - 1];
    }
    return index;
}

// The lines up to the architecture line, which every report has; the index after it.
size_t ExpectHead(const std::vector<std::string>& lines, const CrashRun& run)
{
    std::smatch match;
    EXPECT_TRUE(!lines.empty() &&
                std::regex_match(lines[0], match,
                                 std::regex("Access Violation \\[0xC0000005\\] at (" + kHex8 +
                                            ") in Thread " + run.mainThread + "\\.")));
    const std::string address = match.size() == 2 ? match[1].str() : "none";
    EXPECT_LT(std::strtoul(address.c_str(), NULL, 16) - run.function, 16u)
        << address << " is not in the function";
    size_t index = ExpectLines(lines, 1,
                               {"Read from location 0x00000000\\.", "",
                                "EAX=" + kHex8 + ", CS=" + kHex4 + ", EIP=" + address + ", Flags=" + kHex8,
                                "EBX=" + kHex8 + ", SS=" + kHex4 + ", ESP=" + kHex8 + ", EBP=" + kHex8,
                                "ECX=" + kHex8 + ", DS=" + kHex4 + ", ESI=" + kHex8 + ", FS=" + kHex4,
                                "EDX=" + kHex8 + ", ES=" + kHex4 + ", EDI=" + kHex8 + ", GS=" + kHex4, ""});
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    index = ExpectLines(lines, index, std::vector<std::string>(system.dwNumberOfProcessors, ".+ \\d+ Mhz"));
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    char os[300], folder[MAX_PATH];
    sprintf(os, " [%lu.%lu] Build %lu %s", version.dwMajorVersion, version.dwMinorVersion,
            version.dwBuildNumber, version.szCSDVersion);
    return ExpectLines(
        lines, index,
        {".+" + Escape(os), GetSystemWow64DirectoryA(folder, MAX_PATH) ? "x86 WOW64 Ansi" : "x86 Ansi"});
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

    size_t index = ExpectLines(lines, ExpectHead(lines, run), {"", "Stack:"});
    const std::string parameters = "\\(0x[0-9A-F]+,0x[0-9A-F]+,0x[0-9A-F]+,0x[0-9A-F]+\\)";
    std::smatch match;
    EXPECT_TRUE(index < lines.size() &&
                std::regex_match(
                    lines[index], match,
                    std::regex("ReadFromAddressZero" + parameters +
                               " - Line (\\d+) in .*\\\\tests\\\\crash\\\\program\\\\CrashProgram\\.cpp")))
        << report;
    const int line = match.size() == 2 ? std::stoi(match[1]) : 0;
    EXPECT_TRUE(line >= run.firstLine && line <= run.lastLine) << line;

    // The module list names the program; the thread list has the crashed thread with its start address
    // and its name, cut to 99 characters.
    const std::string version = " +\\d+\\.\\d{4}\\.\\d{4}\\.\\d{5}";
    EXPECT_TRUE(
        HasRow(lines, "ModuleList:", "    Size TimeStamp                      CheckSum   ImageBase  Versions",
               std::regex(" *\\d+ " + kHex8 + " .{10} .{8} " + kHex8 + " " + kHex8 + version + version +
                              " - " + Escape(run.exe),
                          std::regex::icase)))
        << report;
    EXPECT_TRUE(HasRow(lines, "ThreadList:", "Id         StackBase  StackEnd   StartAddress",
                       std::regex(run.mainThread + " +" + kHex8 + " " + kHex8 +
                                  " 0x(?!0{8})[0-9A-F]{8} .* crashing main thread x{78}")))
        << report;
}

TEST(CrashProgram, InjectedMissingDebugHelpLeavesReportEndingAfterArchitecture)
{
    CrashRun run = RunCrashProgram("NoDebugHelp", "karpolin-missing-dbghelp.dll");
    ASSERT_FALSE(run.mainThread.empty());
    EXPECT_EQ(kStaleSize, ReadWholeFile(run.folder + "NoDebugHelp_Debug.dmp").size()) << "no minidump";
    const std::vector<std::string> lines =
        SplitReportLines(ReadWholeFile(run.folder + "NoDebugHelp_Debug.txt"));
    EXPECT_EQ(lines.size(), ExpectHead(lines, run));
}
