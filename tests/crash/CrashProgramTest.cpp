// End to end: a copy of crash_program.exe crashes on purpose, one kind of crash per row, over stale crash
// files of its names, and the files it leaves are read.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbghelp.h>

#include <string.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "sys/Library.h"

namespace
{

namespace fs = std::filesystem;

const size_t kStaleSize = 8 << 20;
const std::string kHex8 = "0x[0-9A-F]{8}", kHex8Up = "0x[0-9A-F]{8,16}";
// An address as the report writes it: eight digits on 32-bit, sixteen on 64-bit.
const std::string kZeros = sizeof(void*) == 8 ? "0x0000000000000000" : "0x00000000";
const std::string kAddress = sizeof(void*) == 8 ? "0x[0-9A-F]{16}" : kHex8;

// The folder's name: plain, with a character outside the ANSI code page, or long (<base>_Debug.dmp has 261
// characters).
const int kPlain = 0, kNonAnsi = 1, kLong = 2;

struct CrashRow
{
    const char* name;
    const char* arguments;
    int folder;
    const char* function; // the stack's first frame; null: no debug help library
    DWORD code;
    const char* location; // of an access violation
};

const DWORD kAccess = EXCEPTION_ACCESS_VIOLATION, kOverflow = EXCEPTION_STACK_OVERFLOW;
const CrashRow kRows[] = {
    {"Viewer", "main read second", kPlain, "ReadFromAddressZero", kAccess, "Read from"},
    {"Timer", "timer write", kPlain, "WriteToAddressZero", kAccess, "Write to"},
    {"Paint", "paint write", kPlain, "WriteToAddressZero", kAccess, "Write to"},
    {"MainOverflow", "main overflow", kPlain, "Recurse", kOverflow, NULL},
    {"WorkerOverflow", "worker overflow", kPlain, "Recurse", kOverflow, NULL},
    {"NoDebugHelp", "main read karpolin-missing-dbghelp.dll", kPlain, NULL, kAccess, "Read from"},
    {"NonAnsi", "main read", kNonAnsi, "ReadFromAddressZero", kAccess, "Read from"},
    {"LongPath", "main read", kLong, "ReadFromAddressZero", kAccess, "Read from"}};

std::string ReadWholeFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Escape(const std::string& text)
{
    return std::regex_replace(text, std::regex("[\\\\^$.|?*+()\\[\\]{}]"), "\\$&");
}

// The report up to its architecture line, which every report has; group 1 is the exception address.
std::string HeadPattern(const CrashRow& row, const std::string& thread)
{
    const std::string name =
        row.code == kAccess ? "Access Violation \\[0xC0000005" : "Stack Overflow \\[0xC00000FD";
    const std::string location = row.location ? row.location + (" location " + kZeros + "\\.\r\n") : "";
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    // The first register line holds the exception address; then two or four lines more of four each.
    const std::string registers =
        "\r\n[ER]AX=" + kAddress + ", CS=0x[0-9A-F]{4}, [ER]IP=\\1, Flags=" + kHex8 +
        "\r\n(?:(?:[A-Z0-9]+=0x[0-9A-F]+(?:, |\r\n)){4}){" + (sizeof(void*) == 8 ? "5" : "3") + "}";
    return name + "\\] at (" + kAddress + ") in Thread " + thread + "\\.\r\n" + location + registers +
           "(?:\r\n.+ \\d+ Mhz){" + std::to_string(system.dwNumberOfProcessors) +
           "}\r\n.+ \\[\\d+\\.\\d+\\] Build \\d+ .*\r\n" + (sizeof(void*) == 8 ? "x64" : "x86") +
           (wow64 ? " WOW64 Ansi\r\n" : " Ansi\r\n");
}

// Among the lines of `section` (after an empty line, its title and its header), one that is `row`.
bool HasRow(const std::string& report, const std::string& section, const std::regex& row)
{
    size_t at = report.find("\r\n\r\n" + section + "\r\n"), end = 0;
    for (at += at == std::string::npos ? 0 : section.size() + 6;
         at < report.size() && (end = report.find("\r\n", at)) != std::string::npos; at = end + 2)
        if (std::regex_match(report.begin() + at, report.begin() + end, row))
            return true;
    return false;
}

void PrintTo(const CrashRow& row, std::ostream* out)
{
    *out << row.name;
}

using CrashProgram = testing::TestWithParam<CrashRow>;

} // namespace

TEST_P(CrashProgram, EndsAndLeavesDumpAndReportOverOldFiles)
{
    const CrashRow& row = GetParam();
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(NULL, self, MAX_PATH);
    fs::path folder = fs::temp_directory_path() / (std::string("karpolin-") + row.name);
    if (row.folder == kNonAnsi)
        folder += L"\x0416";
    if (row.folder == kLong)
        folder /= std::string(242 - folder.native().size() - 1, 'x');
    fs::create_directories(folder);
    const fs::path base = folder / row.name, exe = fs::path(base) += ".exe";
    fs::copy_file(fs::path(self).replace_filename("crash_program.exe"), exe,
                  fs::copy_options::overwrite_existing);
    // Longer than any dump, so that a file that was written over but not replaced keeps its size.
    for (const char* suffix : {"_Debug.dmp", "_Debug.txt"})
        std::ofstream(fs::path(base) += suffix, std::ios::binary) << std::string(kStaleSize, '-');

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::wstring command = L"\"" + exe.native() + L"\" " + fs::path(row.arguments).native();
    ASSERT_TRUE(CreateProcessW(exe.c_str(), &command[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(), &startup,
                               &process));
    // Two to eight seconds under Wine; the system's default handling or the handler ends the process.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 30000)) << "the program did not end";
    TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    // The handler's filter answers EXCEPTION_CONTINUE_SEARCH (0), and to a second exception at once, the
    // report being taken. After a stack overflow the handler ends the process itself, before any filter is
    // called.
    const std::string filter = row.code == kOverflow ? "" : "filter 1 \\4 0\r\n";
    const std::string second = strstr(row.arguments, "second") ? "filter 2 \\d+ 0\r\n" : "";
    const std::string log = ReadWholeFile(folder / "output.log");
    std::smatch logged;
    ASSERT_TRUE(std::regex_search(
        log, logged, std::regex("main (\\d+) (\\d+)-(\\d+)\r\ncrash (\\d+)\r\n" + filter + second),
        std::regex_constants::match_continuous))
        << log;
    const std::string thread = logged[4], dump = ReadWholeFile(fs::path(base) += "_Debug.dmp");
    const std::string report = ReadWholeFile(fs::path(base) += "_Debug.txt");
    ASSERT_LT(report.size(), kStaleSize) << "the old report was not replaced";
    if (!row.function)
    {
        EXPECT_EQ(kStaleSize, dump.size()) << "no minidump";
        EXPECT_TRUE(std::regex_match(report, std::regex(HeadPattern(row, thread)))) << report;
        return;
    }

    // The dump's exception stream names the crashed thread and the exception.
    ASSERT_LT(dump.size(), kStaleSize) << "the old dump was not replaced";
    C_Library dbghelp;
    ASSERT_EQ(1, dbghelp.Load("dbghelp.dll"));
    MINIDUMP_EXCEPTION_STREAM* stream = NULL;
    ASSERT_TRUE(dbghelp.Get<decltype(&MiniDumpReadDumpStream)>("MiniDumpReadDumpStream")(
        const_cast<char*>(dump.data()), ExceptionStream, NULL, reinterpret_cast<void**>(&stream), NULL));
    ASSERT_LE(reinterpret_cast<const char*>(stream + 1), dump.data() + dump.size());
    EXPECT_EQ(std::stoul(thread), stream->ThreadId);
    EXPECT_EQ(row.code, stream->ExceptionRecord.ExceptionCode);
    EXPECT_EQ(std::string::npos, report.find("0x00000BAD")) << "a report of the second exception";

    // The stack's first frame is the crashing function, with a line of it.
    std::smatch match;
    ASSERT_TRUE(std::regex_search(report, match,
                                  std::regex(HeadPattern(row, thread) + "\r\nStack:\r\n" + row.function +
                                             "\\((?:0x[0-9A-F]+,){3}0x[0-9A-F]+\\) - Line (\\d+) "
                                             "in .*\\\\tests\\\\crash\\\\program\\\\CrashProgram\\.cpp\r\n"),
                                  std::regex_constants::match_continuous))
        << report;
    EXPECT_TRUE(std::stoi(match[2]) >= std::stoi(logged[2]) && std::stoi(match[2]) <= std::stoi(logged[3]))
        << match[2];
    // The walk ends where an address repeats: a recursion of thousands of frames shows two.
    const size_t stack = report.find("\r\nStack:\r\n");
    EXPECT_LT(std::count(report.begin() + stack, report.begin() + report.find("\r\n\r\n", stack), '\n'), 40);

    // The module list names the program; the thread list has the main thread with its start address
    // and its name, cut to 99 characters.
    const std::string version = " +\\d+\\.\\d{4}\\.\\d{4}\\.\\d{5}";
    EXPECT_TRUE(HasRow(
        report, "ModuleList:\r\n    Size TimeStamp                      CheckSum   ImageBase  Versions",
        std::regex(" *\\d+ " + kHex8 + " .{10} .{8} " + kHex8 + " " + kHex8Up + version + version +
                       // The runtime's %S writes nothing for a path it cannot convert.
                       " - " + (row.folder == kNonAnsi ? ".*" : Escape(exe.string())),
                   std::regex::icase)))
        << report;
    EXPECT_TRUE(HasRow(report, "ThreadList:\r\nId         StackBase  StackEnd   StartAddress",
                       std::regex(logged[1].str() + " +" + kHex8Up + " " + kHex8Up + " (?!" + kZeros + ")" +
                                  kAddress + " .* crashing main thread x{78}")))
        << report;
}

INSTANTIATE_TEST_SUITE_P(Crashes, CrashProgram, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<CrashRow>& info)
                         { return std::string(info.param.name); });
