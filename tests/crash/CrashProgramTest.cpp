// End to end: crash_program.exe, built next to this test program, crashes on purpose; these tests run
// a copy of it and read the crash files it leaves.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <regex>
#include <string>
#include <vector>

#include "crash/OsDescription.h"
#include "CrashTestFiles.h"

namespace
{

const char kStale[] = "stale crash file of an earlier run\r\n";

struct CrashRun
{
    std::string folder;
    std::string exe;
    std::string log;
    DWORD exitCode = 0;
    bool ended = false;
};

// Copies crash_program.exe to `name`.exe in a folder of its own, optionally leaves stale crash files
// of the copy's names there, and runs the copy with `argument`, its output going to a log file.
CrashRun RunCrashProgram(const char* name, const char* argument, bool staleFiles)
{
    CrashRun run;
    run.folder = MakeTempFolder(name);
    run.exe = run.folder + name + ".exe";
    EXPECT_TRUE(CopyFileA((ThisFolder() + "crash_program.exe").c_str(), run.exe.c_str(), FALSE));
    if (staleFiles)
    {
        // Longer than any dump, so that a file that was not replaced keeps a tail of it.
        std::string stale;
        while (stale.size() < 8 * 1024 * 1024)
            stale += kStale;
        WriteWholeFile(run.folder + name + "_Debug.dmp", stale);
        WriteWholeFile(run.folder + name + "_Debug.txt", stale);
    }

    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), NULL, TRUE};
    std::string logName = run.folder + "output.log";
    HANDLE log = CreateFileA(logName.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    EXPECT_NE(INVALID_HANDLE_VALUE, log);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = log;
    startup.hStdError = log;
    PROCESS_INFORMATION process;
    std::string command = "\"" + run.exe + "\"";
    if (argument)
        command += std::string(" ") + argument;
    std::vector<char> commandLine(command.begin(), command.end());
    commandLine.push_back(0);
    BOOL started = CreateProcessA(run.exe.c_str(), commandLine.data(), NULL, NULL, TRUE, 0, NULL,
                                  run.folder.c_str(), &startup, &process);
    CloseHandle(log);
    EXPECT_TRUE(started) << GetLastError();
    if (!started)
        return run;
    // The crash files take about a second under Wine; the system's own crash handling ends the process.
    run.ended = WaitForSingleObject(process.hProcess, 40000) == WAIT_OBJECT_0;
    if (!run.ended)
        TerminateProcess(process.hProcess, 1);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.log = ReadWholeFile(logName);
    return run;
}

struct ProgramFacts
{
    unsigned mainThread = 0, function = 0, secondThread = 0;
    int firstLine = 0, lastLine = 0;
    bool firstAnswered = false, secondAnswered = false;
};

ProgramFacts ReadFacts(const std::string& log)
{
    ProgramFacts facts;
    std::smatch match;
    if (std::regex_search(log, match,
                          std::regex("main thread (\\d+) function 0x([0-9A-F]{8}) lines (\\d+)-(\\d+)")))
    {
        facts.mainThread = std::stoul(match[1]);
        facts.function = std::stoul(match[2], NULL, 16);
        facts.firstLine = std::stoi(match[3]);
        facts.lastLine = std::stoi(match[4]);
    }
    if (std::regex_search(log, match, std::regex("second thread (\\d+)")))
        facts.secondThread = std::stoul(match[1]);
    facts.firstAnswered = std::regex_search(
        log, std::regex("filter 1 thread " + std::to_string(facts.mainThread) + " result 0\n"));
    facts.secondAnswered = std::regex_search(
        log, std::regex("filter 2 thread " + std::to_string(facts.secondThread) + " result 0\n"));
    return facts;
}

unsigned CountProcessorKeys()
{
    unsigned count = 0;
    for (;;)
    {
        char path[80];
        sprintf(path, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\%u", count);
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return count;
        RegCloseKey(key);
        count++;
    }
}

std::string ExpectedOsLine()
{
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    char name[kOsNameSize];
    return std::string(GetOsName(name, GetOsFlags())) + " [" + std::to_string(version.dwMajorVersion) + "." +
           std::to_string(version.dwMinorVersion) + "] Build " + std::to_string(version.dwBuildNumber) + " " +
           version.szCSDVersion;
}

const char kHex8[] = "0x[0-9A-F]{8}";

// Checks the report's lines up to and including the architecture line, which every report has;
// returns the index of the line after it.
size_t ExpectMachineLines(const std::vector<std::string>& lines, const ProgramFacts& facts)
{
    const std::string hex8 = kHex8, hex4 = "0x[0-9A-F]{4}";
    EXPECT_GE(lines.size(), 10u);
    if (lines.size() < 10)
        return lines.size();
    std::smatch match;
    EXPECT_TRUE(std::regex_match(
        lines[0], match,
        std::regex("Access Violation \\[0xC0000005\\] at 0x([0-9A-F]{8}) in Thread (\\d+)\\.")))
        << lines[0];
    unsigned address = match.size() == 3 ? std::stoul(match[1], NULL, 16) : 0;
    // The faulting instruction lies in the function that reads from address 0.
    EXPECT_GE(address, facts.function);
    EXPECT_LT(address, facts.function + 16);
    EXPECT_EQ(std::to_string(facts.mainThread), match.size() == 3 ? match[2].str() : "");
    EXPECT_EQ("Read from location 0x00000000.", lines[1]);
    EXPECT_EQ("", lines[2]);
    char eip[16];
    sprintf(eip, "0x%08X", address);
    EXPECT_TRUE(std::regex_match(
        lines[3], std::regex("EAX=" + hex8 + ", CS=" + hex4 + ", EIP=" + eip + ", Flags=" + hex8)))
        << lines[3];
    EXPECT_TRUE(std::regex_match(
        lines[4], std::regex("EBX=" + hex8 + ", SS=" + hex4 + ", ESP=" + hex8 + ", EBP=" + hex8)))
        << lines[4];
    EXPECT_TRUE(std::regex_match(
        lines[5], std::regex("ECX=" + hex8 + ", DS=" + hex4 + ", ESI=" + hex8 + ", FS=" + hex4)))
        << lines[5];
    EXPECT_TRUE(std::regex_match(
        lines[6], std::regex("EDX=" + hex8 + ", ES=" + hex4 + ", EDI=" + hex8 + ", GS=" + hex4)))
        << lines[6];
    EXPECT_EQ("", lines[7]);

    size_t index = 8;
    unsigned processors = CountProcessorKeys();
    EXPECT_GE(processors, 1u);
    for (unsigned i = 0; i < processors && index < lines.size(); i++, index++)
        EXPECT_TRUE(std::regex_match(lines[index], std::regex(".+ \\d+ Mhz"))) << lines[index];
    EXPECT_LT(index + 1, lines.size());
    if (index + 1 >= lines.size())
        return lines.size();
    EXPECT_EQ(ExpectedOsLine(), lines[index]);
    EXPECT_EQ(IsWow64() ? "x86 WOW64 Ansi" : "x86 Ansi", lines[index + 1]);
    return index + 2;
}

} // namespace

TEST(CrashProgram, FirstCrashWritesDumpAndReportOverOldFilesAndSecondWritesNothing)
{
    CrashRun run = RunCrashProgram("Viewer", NULL, true);
    ASSERT_TRUE(run.ended) << "the crashed program did not end within 40 s\n" << run.log;
    ProgramFacts facts = ReadFacts(run.log);
    ASSERT_NE(0u, facts.mainThread) << run.log;
    EXPECT_TRUE(facts.firstAnswered) << "the handler's filter must answer EXCEPTION_CONTINUE_SEARCH\n"
                                     << run.log;
    ASSERT_NE(0u, facts.secondThread) << run.log;
    EXPECT_TRUE(facts.secondAnswered) << "the second exception must be passed on at once\n" << run.log;

    std::string dump = ReadWholeFile(run.folder + "Viewer_Debug.dmp");
    EXPECT_EQ(std::string::npos, dump.find(kStale)) << "the old dump was not replaced";
    ExpectValidMinidump(dump, facts.mainThread, EXCEPTION_ACCESS_VIOLATION);

    std::string report = ReadWholeFile(run.folder + "Viewer_Debug.txt");
    EXPECT_EQ(std::string::npos, report.find(kStale)) << "the old report was not replaced";
    // A report of the second exception would name its thread and its address.
    EXPECT_EQ(std::string::npos, report.find("0x00000BAD")) << report;
    std::vector<std::string> lines = SplitReportLines(report);
    size_t index = ExpectMachineLines(lines, facts);

    // The stack, its first frame the crashing function with a line of it.
    ASSERT_LT(index + 3, lines.size()) << report;
    EXPECT_EQ("", lines[index]);
    EXPECT_EQ("Stack:", lines[index + 1]);
    std::smatch match;
    const std::string parameters = "\\(0x[0-9A-F]+,0x[0-9A-F]+,0x[0-9A-F]+,0x[0-9A-F]+\\)";
    EXPECT_TRUE(std::regex_match(
        lines[index + 2], match,
        std::regex("ReadFromAddressZero" + parameters +
                   " - Line (\\d+) in .*\\\\tests\\\\crash\\\\program\\\\CrashProgram\\.cpp")))
        << lines[index + 2];
    int line = match.size() == 2 ? std::stoi(match[1]) : 0;
    EXPECT_GE(line, facts.firstLine);
    EXPECT_LE(line, facts.lastLine);
    EXPECT_TRUE(std::regex_match(lines[index + 3],
                                 std::regex("main" + parameters + " - Line \\d+ in .*CrashProgram\\.cpp")))
        << lines[index + 3];
    index += 2;
    while (index < lines.size() && !lines[index].empty())
        EXPECT_TRUE(
            std::regex_match(lines[index++], std::regex("(.+:)?.+" + parameters + "( - Line \\d+ in .+)?")))
            << lines[index - 1];

    // The module list, the program among its modules.
    ASSERT_LT(index + 2, lines.size()) << report;
    EXPECT_EQ("", lines[index]);
    EXPECT_EQ("ModuleList:", lines[index + 1]);
    EXPECT_EQ("    Size TimeStamp                      CheckSum   ImageBase  Versions", lines[index + 2]);
    index += 3;
    const std::string version = " +\\d+\\.\\d{4}\\.\\d{4}\\.\\d{5}";
    const std::regex moduleRow(" *\\d+ " + std::string(kHex8) + " .{10} .{8} " + kHex8 + " " + kHex8 +
                               version + version + " - (.+)");
    bool programListed = false;
    for (; index < lines.size() && !lines[index].empty(); index++)
    {
        EXPECT_TRUE(std::regex_match(lines[index], match, moduleRow)) << lines[index];
        if (match.size() == 2 && _stricmp(match[1].str().c_str(), run.exe.c_str()) == 0)
            programListed = true;
    }
    EXPECT_TRUE(programListed) << run.exe << " missing from\n" << report;

    // The thread list, with the crashed thread; it ends the report.
    ASSERT_LT(index + 2, lines.size()) << report;
    EXPECT_EQ("", lines[index]);
    EXPECT_EQ("ThreadList:", lines[index + 1]);
    EXPECT_EQ("Id         StackBase  StackEnd   StartAddress", lines[index + 2]);
    index += 3;
    bool mainListed = false;
    const std::regex threadRow("(\\d+) +" + std::string(kHex8) + " " + kHex8 + " " + kHex8 + " .*");
    for (; index < lines.size(); index++)
    {
        EXPECT_TRUE(std::regex_match(lines[index], match, threadRow)) << lines[index];
        if (match.size() == 2 && std::stoul(match[1]) == facts.mainThread)
            mainListed = true;
    }
    EXPECT_TRUE(mainListed) << report;
}

TEST(CrashProgram, InjectedMissingDebugHelpLeavesReportEndingAfterArchitecture)
{
    CrashRun run = RunCrashProgram("NoDebugHelp", "karpolin-missing-dbghelp.dll", false);
    ASSERT_TRUE(run.ended) << "the crashed program did not end within 40 s\n" << run.log;
    ProgramFacts facts = ReadFacts(run.log);
    ASSERT_NE(0u, facts.mainThread) << run.log;
    EXPECT_TRUE(facts.firstAnswered) << run.log;

    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((run.folder + "NoDebugHelp_Debug.dmp").c_str()))
        << "no minidump without the library";
    std::string report = ReadWholeFile(run.folder + "NoDebugHelp_Debug.txt");
    std::vector<std::string> lines = SplitReportLines(report);
    size_t end = ExpectMachineLines(lines, facts);
    EXPECT_EQ(lines.size(), end) << report;
}
