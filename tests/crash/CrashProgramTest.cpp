// End to end: a copy of crash_program.exe crashes on purpose, one kind of crash per row, over stale crash
// files of its names, and the files it leaves are read.
#include <algorithm>
#include <filesystem>
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

enum Folder
{
    kPlain,
    kNonAnsi,   // a folder name outside the ANSI code page
    kLong,      // <base>_Debug.dmp has 261 characters
    kUnwritable // folders of the files' names, as Wine run as root writes into read-only folders
};

struct CrashRow
{
    const char* name;
    const char* arguments;
    Folder folder;
    const char* function; // the stack's first frame; null: no debug help library
    const char* exception;
    const char* location;
};

const char kAccess[] = "Access Violation [0xC0000005]";
const CrashRow kRows[] = {
    {"Viewer", "main read second", kPlain, "ReadFromAddressZero", kAccess, "Read from"},
    {"Timer", "timer write", kPlain, "WriteToAddressZero", kAccess, "Write to"},
    {"Paint", "paint write", kPlain, "WriteToAddressZero", kAccess, "Write to"},
    {"Command", "command write", kPlain, "WriteToAddressZero", kAccess, "Write to"},
    {"MainOverflow", "main overflow", kPlain, "Recurse", "Stack Overflow [0xC00000FD]", NULL},
    {"WorkerOverflow", "worker overflow", kPlain, "Recurse", "Stack Overflow [0xC00000FD]", NULL},
    {"WorkerInDialog", "worker read", kPlain, "ReadFromAddressZero", kAccess, "Read from"},
    {"Illegal", "main illegal", kPlain, "ExecuteIllegalInstruction", "Illegal Instruction [0xC000001D]",
     NULL},
    {"Divide", "main divide", kPlain, "DivideByZero", "Integer Divide by Zero [0xC0000094]", NULL},
    {"NoDebugHelp", "main read karpolin-missing-dbghelp.dll", kPlain, NULL, kAccess, "Read from"},
    {"NonAnsi", "main read", kNonAnsi, "ReadFromAddressZero", kAccess, "Read from"},
    {"LongPath", "main read", kLong, "ReadFromAddressZero", kAccess, "Read from"},
    {"Unwritable", "main read", kUnwritable, "ReadFromAddressZero", kAccess, "Read from"}};

struct CrashRun
{
    std::string exe, mainThread, thread, log, dump, report;
    int firstLine = 0, lastLine = 0;
};

CrashRun RunCrashProgram(const CrashRow& row)
{
    namespace fs = std::filesystem;
    fs::path folder = fs::temp_directory_path() / (std::string("karpolin-") + row.name);
    if (row.folder == kNonAnsi)
        folder += L"\x0416";
    if (row.folder == kLong)
        folder /= std::string(242 - folder.native().size() - 1, 'x');
    fs::create_directories(folder);
    const fs::path base = folder / row.name, exe = fs::path(base) += ".exe";
    fs::copy_file(ThisFolder() + "crash_program.exe", exe, fs::copy_options::overwrite_existing);
    // Longer than any dump, so that a file that was written over but not replaced keeps its size.
    for (const char* suffix : {"_Debug.dmp", "_Debug.txt"})
        if (row.folder == kUnwritable)
            fs::create_directory(fs::path(base) += suffix);
        else
            std::ofstream(fs::path(base) += suffix, std::ios::binary) << std::string(kStaleSize, '-');

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::wstring command = L"\"" + exe.native() + L"\" " + fs::path(row.arguments).native();
    EXPECT_TRUE(CreateProcessW(exe.c_str(), &command[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(), &startup,
                               &process));
    // Two to eight seconds under Wine; the system's default handling or the handler ends the process.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 30000)) << "the program did not end";
    TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    CrashRun run;
    run.exe = exe.string();
    run.log = ReadWholeFile(folder / "output.log");
    run.dump = ReadWholeFile(fs::path(base) += "_Debug.dmp");
    run.report = ReadWholeFile(fs::path(base) += "_Debug.txt");
    // The handler's filter answers EXCEPTION_CONTINUE_SEARCH (0); a second exception finds the report
    // taken and gets the same answer at once. The system's debugger may write on after them.
    // After a stack overflow the handler ends the process itself, before any filter is called.
    const std::string filter = strstr(row.exception, "Stack Overflow") ? "" : "filter 1 \\4 0\r\n";
    const std::string second = strstr(row.arguments, "second") ? "second (\\d+)\r\nfilter 2 \\5 0\r\n" : "";
    std::smatch match;
    EXPECT_TRUE(std::regex_search(
        run.log, match, std::regex("main (\\d+) (\\d+)-(\\d+)\r\ncrash (\\d+)\r\n" + filter + second),
        std::regex_constants::match_continuous))
        << run.log;
    if (match.size() >= 5)
    {
        run.mainThread = match[1];
        run.firstLine = std::stoi(match[2]);
        run.lastLine = std::stoi(match[3]);
        run.thread = match[4];
    }
    return run;
}

std::string Escape(const std::string& text)
{
    return std::regex_replace(text, std::regex("[\\\\^$.|?*+()\\[\\]{}]"), "\\$&");
}

// The report up to its architecture line, which every report has; group 1 is the exception address.
std::string HeadPattern(const CrashRow& row, const std::string& thread)
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
    const std::string location =
        row.location ? row.location + std::string(" location ") + kZeros + "\\.\r\n" : "";
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
    return Escape(row.exception) + " at (" + kAddress + ") in Thread " + thread + "\\.\r\n" + location +
           "\r\n" + registers + "\r\n(.+ \\d+ Mhz\r\n){" + std::to_string(system.dwNumberOfProcessors) +
           "}.+" + Escape(os) + architecture + (wow64 ? " WOW64 Ansi\r\n" : " Ansi\r\n");
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

void PrintTo(const CrashRow& row, std::ostream* out)
{
    *out << row.name;
}

class CrashProgram : public testing::TestWithParam<CrashRow>
{
};

} // namespace

TEST_P(CrashProgram, EndsAndLeavesDumpAndReportOverOldFiles)
{
    const CrashRow& row = GetParam();
    CrashRun run = RunCrashProgram(row);
    ASSERT_FALSE(run.thread.empty());
    if (row.folder == kUnwritable)
    {
        EXPECT_EQ("", run.dump + run.report) << "the folders of the files' names are still there";
        return;
    }
    if (!row.function)
    {
        EXPECT_EQ(kStaleSize, run.dump.size()) << "no minidump";
        EXPECT_TRUE(std::regex_match(run.report, std::regex(HeadPattern(row, run.thread)))) << run.report;
        return;
    }
    EXPECT_LT(run.dump.size(), kStaleSize) << "the old dump was not replaced";
    ExpectValidMinidump(run.dump, std::stoul(run.thread),
                        std::stoul(strchr(row.exception, '[') + 1, NULL, 16));
    EXPECT_LT(run.report.size(), kStaleSize) << "the old report was not replaced";
    EXPECT_EQ(std::string::npos, run.report.find("0x00000BAD")) << "a report of the second exception:\n"
                                                                << run.report;
    const std::vector<std::string> lines = SplitReportLines(run.report);

    // The stack's first frame is the crashing function, with a line of it.
    std::smatch match;
    ASSERT_TRUE(
        std::regex_search(run.report, match,
                          std::regex(HeadPattern(row, run.thread) + "\r\nStack:\r\n" + row.function +
                                     "\\(0x[0-9A-F]+,0x[0-9A-F]+,0x[0-9A-F]+,0x[0-9A-F]+\\) - Line (\\d+) "
                                     "in .*\\\\tests\\\\crash\\\\program\\\\CrashProgram\\.cpp\r\n"),
                          std::regex_constants::match_continuous))
        << run.report;
    EXPECT_TRUE(std::stoi(match[3]) >= run.firstLine && std::stoi(match[3]) <= run.lastLine) << match[3];

    // The module list names the program; the thread list has the main thread with its start address
    // and its name, cut to 99 characters.
    const std::string version = " +\\d+\\.\\d{4}\\.\\d{4}\\.\\d{5}";
    EXPECT_TRUE(
        HasRow(lines, "ModuleList:", "    Size TimeStamp                      CheckSum   ImageBase  Versions",
               std::regex(" *\\d+ " + kHex8 + " .{10} .{8} " + kHex8 + " " + kHex8Up + version + version +
                              // The runtime's %S writes nothing for a path it cannot convert.
                              " - " + (row.folder == kNonAnsi ? ".*" : Escape(run.exe)),
                          std::regex::icase)))
        << run.report;
    EXPECT_TRUE(HasRow(lines, "ThreadList:", "Id         StackBase  StackEnd   StartAddress",
                       std::regex(run.mainThread + " +" + kHex8Up + " " + kHex8Up + " (?!" + kZeros + ")" +
                                  kAddress + " .* crashing main thread x{78}")))
        << run.report;
}

INSTANTIATE_TEST_SUITE_P(Crashes, CrashProgram, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<CrashRow>& info)
                         { return std::string(info.param.name); });
