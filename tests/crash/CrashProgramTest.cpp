// End to end: a copy of crash_program.exe crashes on purpose over stale crash files of its names, and
// the files it leaves are read.
#include <algorithm>
#include <fstream>
#include <regex>

#include "CrashTestFiles.h"

namespace
{

const char kStale[] = "stale crash file of an earlier run\r\n";
const std::string kHex8 = "0x[0-9A-F]{8}", kHex4 = "0x[0-9A-F]{4}";

struct CrashRun
{
    std::string folder, exe, log, mainThread, secondThread;
    bool ended = false;
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
    // Longer than any dump, so that a file that was written over but not replaced keeps a tail of it.
    std::string stale;
    while (stale.size() < 8 << 20)
        stale += kStale;
    std::ofstream(run.folder + name + "_Debug.dmp", std::ios::binary) << stale;
    std::ofstream(run.folder + name + "_Debug.txt", std::ios::binary) << stale;

    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), NULL, TRUE};
    HANDLE log = CreateFileA((run.folder + "output.log").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, 0, NULL);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = log;
    PROCESS_INFORMATION process;
    std::string command = "\"" + run.exe + "\" " + argument;
    BOOL started = CreateProcessA(run.exe.c_str(), &command[0], NULL, NULL, TRUE, 0, NULL, run.folder.c_str(),
                                  &startup, &process);
    CloseHandle(log);
    EXPECT_TRUE(started) << GetLastError();
    if (started)
    {
        // About a second under Wine; the system's default handling ends the process.
        run.ended = WaitForSingleObject(process.hProcess, 40000) == WAIT_OBJECT_0;
        if (!run.ended)
            TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    run.log = ReadWholeFile(run.folder + "output.log");
    std::smatch match;
    if (std::regex_search(run.log, match,
                          std::regex("main thread (\\d+) function (\\w+) lines (\\d+)-(\\d+)")))
    {
        run.mainThread = match[1];
        run.function = std::stoul(match[2], NULL, 16);
        run.firstLine = std::stoi(match[3]);
        run.lastLine = std::stoi(match[4]);
    }
    if (std::regex_search(run.log, match, std::regex("second thread (\\d+)")))
        run.secondThread = match[1];
    return run;
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
    const std::string os = " [" + std::to_string(version.dwMajorVersion) + "." +
                           std::to_string(version.dwMinorVersion) + "] Build " +
                           std::to_string(version.dwBuildNumber) + " " + version.szCSDVersion;
    const std::string osLine = index < lines.size() ? lines[index] : "";
    EXPECT_TRUE(osLine.size() > os.size() && osLine.compare(osLine.size() - os.size(), os.size(), os) == 0)
        << osLine;
    char folder[MAX_PATH];
    return ExpectLines(lines, index + 1,
                       {GetSystemWow64DirectoryA(folder, MAX_PATH) ? "x86 WOW64 Ansi" : "x86 Ansi"});
}

} // namespace

TEST(CrashProgram, FirstCrashWritesDumpAndReportOverOldFilesAndSecondWritesNothing)
{
    CrashRun run = RunCrashProgram("Viewer", "");
    ASSERT_TRUE(run.ended) << "the crashed program did not end within 40 s\n" << run.log;
    ASSERT_TRUE(!run.mainThread.empty() && !run.secondThread.empty()) << run.log;
    EXPECT_NE(std::string::npos, run.log.find("filter 1 thread " + run.mainThread + " result 0\r\n"))
        << run.log;
    EXPECT_NE(std::string::npos, run.log.find("filter 2 thread " + run.secondThread + " result 0\r\n"))
        << "the second exception is passed on at once\n"
        << run.log;

    const std::string dump = ReadWholeFile(run.folder + "Viewer_Debug.dmp");
    EXPECT_EQ(std::string::npos, dump.find(kStale)) << "the old dump was not replaced";
    ExpectValidMinidump(dump, std::stoul(run.mainThread), EXCEPTION_ACCESS_VIOLATION);
    const std::string report = ReadWholeFile(run.folder + "Viewer_Debug.txt");
    EXPECT_EQ(std::string::npos, report.find(kStale)) << "the old report was not replaced";
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

    index = std::find(lines.begin() + index, lines.end(), "ModuleList:") - lines.begin() - 1;
    index = ExpectLines(
        lines, index,
        {"", "ModuleList:", "    Size TimeStamp                      CheckSum   ImageBase  Versions"});
    const std::string version = " +\\d+\\.\\d{4}\\.\\d{4}\\.\\d{5}";
    const std::regex moduleRow(" *\\d+ " + kHex8 + " .{10} .{8} " + kHex8 + " " + kHex8 + version + version +
                               " - (.+)");
    bool programListed = false;
    for (; index < lines.size() && !lines[index].empty(); index++)
    {
        EXPECT_TRUE(std::regex_match(lines[index], match, moduleRow)) << lines[index];
        programListed |= match.size() == 2 && _stricmp(match[1].str().c_str(), run.exe.c_str()) == 0;
    }
    EXPECT_TRUE(programListed) << run.exe << " missing from\n" << report;

    index = ExpectLines(lines, index, {"", "ThreadList:", "Id         StackBase  StackEnd   StartAddress"});
    bool mainListed = false;
    for (; index < lines.size(); index++)
    {
        EXPECT_TRUE(std::regex_match(lines[index], match,
                                     std::regex("(\\d+) +" + kHex8 + " " + kHex8 + " " + kHex8 + " .*")))
            << lines[index];
        mainListed |= match.size() == 2 && match[1] == run.mainThread;
    }
    EXPECT_TRUE(mainListed) << report;
}

TEST(CrashProgram, InjectedMissingDebugHelpLeavesReportEndingAfterArchitecture)
{
    CrashRun run = RunCrashProgram("NoDebugHelp", "karpolin-missing-dbghelp.dll");
    ASSERT_TRUE(run.ended) << "the crashed program did not end within 40 s\n" << run.log;
    ASSERT_FALSE(run.mainThread.empty()) << run.log;
    EXPECT_EQ(0u, ReadWholeFile(run.folder + "NoDebugHelp_Debug.dmp").find(kStale))
        << "no minidump: left alone";
    const std::vector<std::string> lines =
        SplitReportLines(ReadWholeFile(run.folder + "NoDebugHelp_Debug.txt"));
    EXPECT_EQ(lines.size(), ExpectHead(lines, run));
}
