// The lines of the crash report, written into a pipe and compared byte for byte.
#include <regex>
#include <sstream>
#include <string>

#include "CrashTestFiles.h"
#include "crash/CrashReport.h"
#include "crash/DebugHelp.h"
#include "crash/ReportLine.h"

TEST(ExceptionName, EveryCodeOfTheTableAndExceptionForOthers)
{
    std::istringstream table(
        "40010005 Control-C\n40010008 Control-Break\n80000002 Datatype Misalignment\n80000003 Breakpoint\n"
        "C0000005 Access Violation\nC0000006 In Page Error\nC0000017 No Memory\n"
        "C000001D Illegal Instruction\n"
        "C0000025 Noncontinuable Exception\nC0000026 Invalid Disposition\nC000008C Array Bounds Exceeded\n"
        "C000008D Float Denormal Operand\nC000008E Float Divide by Zero\nC000008F Float Inexact Result\n"
        "C0000090 Float Invalid Operation\nC0000091 Float Overflow\nC0000092 Float Stack Check\n"
        "C0000093 Float Underflow\nC0000094 Integer Divide by Zero\nC0000095 Integer Overflow\n"
        "C0000096 Privileged Instruction\nC00000FD Stack Overflow\nC0000142 DLL Initialization Failed\n"
        "E06D7363 Microsoft C++ Exception\nC0000135 Exception\n0 Exception\nE0000001 Exception\n");
    unsigned code = 0;
    std::string name;
    int rows = 0;
    for (; table >> std::hex >> code >> std::ws && std::getline(table, name); rows++)
        EXPECT_EQ(name, GetExceptionName(code)) << std::hex << code;
    EXPECT_EQ(27, rows);
}

TEST(ExceptionLines, ThreadDecimalOnNtHexOn9xLocationForAccessViolationsWithTwoParameters)
{
    const struct
    {
        DWORD code, parameters, first, second, thread;
        int isNt;
        const char* text;
    } kRows[] = {
        {0xC0000005, 2, 0, 0, 272, 1,
         "Access Violation [0xC0000005] at 0x004015B5 in Thread 272.\r\nRead from location 0x00000000.\r\n"},
        {0xC0000005, 2, 8, 0xBAD, 5, 1,
         "Access Violation [0xC0000005] at 0x004015B5 in Thread 5.\r\nWrite to location 0x00000BAD.\r\n"},
        {0xC0000005, 1, 0, 0, 5, 1, "Access Violation [0xC0000005] at 0x004015B5 in Thread 5.\r\n"},
        {0xE0000001, 2, 0, 0, 5, 1, "Exception [0xE0000001] at 0x004015B5 in Thread 5.\r\n"},
        {0xC0000094, 0, 0, 0, 0xFFF1234B, 0,
         "Integer Divide by Zero [0xC0000094] at 0x004015B5 in Thread 0xFFF1234B.\r\n"}};
    for (const auto& row : kRows)
    {
        EXCEPTION_RECORD record = {};
        record.ExceptionCode = row.code;
        record.ExceptionAddress = reinterpret_cast<void*>(0x4015B5);
        record.NumberParameters = row.parameters;
        record.ExceptionInformation[0] = row.first;
        record.ExceptionInformation[1] = row.second;
        C_ReportPipe report;
        WriteExceptionLines(report, record, row.thread, row.isNt);
        // Addresses take the width of the build's pointers.
        const std::string widened = std::regex_replace(row.text, std::regex("(at|location) 0x"),
                                                       sizeof(void*) == 8 ? "$1 0x00000000" : "$&");
        EXPECT_EQ(widened, report.Text());
    }
}

TEST(RegisterLines, FollowAnEmptyLineInTheirOrder)
{
    CONTEXT c = {};
    C_ReportPipe report;
#if defined(_WIN64)
    c.Rax = 0x1111111111111111, c.Rbx = 0x22222222, c.Rcx = 0x33333333, c.Rdx = 0x44444444,
    c.Rsi = 0x55555555;
    c.Rdi = 0x66666666, c.Rip = 0x00000001400015B5, c.Rsp = 0x65FE4C, c.Rbp = 0x65FE88, c.EFlags = 0x10202;
    c.R8 = 8, c.R9 = 9, c.R10 = 10, c.R11 = 11, c.R12 = 12, c.R13 = 13, c.R14 = 14,
    c.R15 = 0xF0F0F0F0F0F0F0F0;
    c.SegCs = 0x33, c.SegSs = 0x2B, c.SegDs = 0x2C, c.SegEs = 0x2D, c.SegFs = 0x53, c.SegGs = 0x63;
    WriteRegisterLines(report, c);
    EXPECT_EQ(
        "\r\nRAX=0x1111111111111111, CS=0x0033, RIP=0x00000001400015B5, Flags=0x00010202\r\n"
        "RBX=0x0000000022222222, SS=0x002B, RSP=0x000000000065FE4C, RBP=0x000000000065FE88\r\n"
        "RCX=0x0000000033333333, DS=0x002C, RSI=0x0000000055555555, FS=0x0053\r\n"
        "RDX=0x0000000044444444, ES=0x002D, RDI=0x0000000066666666, GS=0x0063\r\n"
        "R8=0x0000000000000008, R9=0x0000000000000009, R10=0x000000000000000A, R11=0x000000000000000B\r\n"
        "R12=0x000000000000000C, R13=0x000000000000000D, R14=0x000000000000000E, R15=0xF0F0F0F0F0F0F0F0\r\n",
        report.Text());
#else
    c.Eax = 0x11111111, c.Ebx = 0x22222222, c.Ecx = 0x33333333, c.Edx = 0x44444444, c.Esi = 0x55555555;
    c.Edi = 0x66666666, c.Eip = 0x004015B5, c.Esp = 0x0065FE4C, c.Ebp = 0x0065FE88, c.EFlags = 0x10202;
    c.SegCs = 0x23, c.SegSs = 0x2B, c.SegDs = 0x2C, c.SegEs = 0x2D, c.SegFs = 0x6B, c.SegGs = 0x63;
    WriteRegisterLines(report, c);
    EXPECT_EQ("\r\nEAX=0x11111111, CS=0x0023, EIP=0x004015B5, Flags=0x00010202\r\n"
              "EBX=0x22222222, SS=0x002B, ESP=0x0065FE4C, EBP=0x0065FE88\r\n"
              "ECX=0x33333333, DS=0x002C, ESI=0x55555555, FS=0x006B\r\n"
              "EDX=0x44444444, ES=0x002D, EDI=0x66666666, GS=0x0063\r\n",
              report.Text());
#endif
}

TEST(MachineLines, ProcessorLinesEndOnTheOperatingSystemLine)
{
    // The architecture line names the build's own processor.
    const std::string kArchitecture = sizeof(void*) == 8 ? "x64" : "x86";
    const struct
    {
        int processors, isNt, wow64;
        std::string text;
    } kRows[] = {
        {2, 1, 0,
         "\r\nIntel P4 GenuineIntel x86 Family 15 2793 Mhz\r\nIntel P4 GenuineIntel x86 Family 15 2794 Mhz"
         "\r\nWindows XP [Workstation] [5.1] Build 2600 Service Pack 2\r\n" +
             kArchitecture + " Ansi\r\n"},
        {0, 1, 1,
         "\r\nWindows XP [Workstation] [5.1] Build 2600 Service Pack 2\r\n" + kArchitecture +
             " WOW64 Ansi\r\n"},
        // The 9x family has no identifier: two blanks before the clock; the build is the low word.
        {1, 0, 0,
         "\r\nx86 Family 15 GenuineIntel  2793 Mhz\r\nWindows 98 SE [4.10] Build 2222  A\r\n" +
             kArchitecture + " Ansi\r\n"}};
    const OSVERSIONINFOA nt = {sizeof(nt), 5, 1, 2600, 2, "Service Pack 2"};
    const OSVERSIONINFOA nine = {sizeof(nine), 4, 10, 0x040A08AE, 1, " A"};
    for (const auto& row : kRows)
    {
        C_ReportPipe report;
        for (int i = 0; i < row.processors; i++)
            WriteProcessorLine(report, row.isNt ? "Intel P4" : "x86 Family 15", "GenuineIntel",
                               row.isNt ? "x86 Family 15" : "", 2793 + i);
        WriteOsLine(report, row.isNt ? "Windows XP [Workstation]" : "Windows 98 SE", row.isNt ? nt : nine,
                    row.isNt);
        WriteArchitectureLine(report, row.wow64);
        EXPECT_EQ(row.text, report.Text());
    }
}

TEST(ModuleRow, LinkTimeZeroOneHourEastVersionsInColumnsAndNullPath)
{
    TIME_ZONE_INFORMATION zone;
    GetTimeZoneInformation(&zone);
    ASSERT_EQ(-60, zone.Bias) << "the crash tests run with TZ=UTC-1 (tests/CMakeLists.txt)";
    // Linked at t = 0, file version 5.1.2600.2180, product version 6.0.6000.1, no path.
    const C_ModuleRecord record = {
        NULL,   NULL,    NULL, 0x7C800000,
        385024, 0x61888, 0,    {0, 0, 0x00050001, 0x0A280884, 0x00060000, 0x17700001, 0, 0, 0, 0, 0, 0, 0}};
    C_ReportPipe report;
    WriteModuleRow(report, record);
    EXPECT_EQ("  385024 0x00000000  1.01.1970  1:00:00 0x00061888 0x7C800000    5.0001.2600.02180    "
              "6.0000.6000.00001 - (null)\r\n",
              report.Text());
}

TEST(ThreadRow, NtInDecimal9xInHex)
{
    const C_ThreadRecord record = {NULL, NULL, 272, 0x0065F258, 0x00660000, "worker", 0x004014B0};
    C_ReportPipe report;
    WriteThreadRow(report, record, "EntryPoint", 1);
    WriteThreadRow(report, record, "", 0);
    // The start address takes the width of the build's pointers.
    const std::string start = sizeof(void*) == 8 ? "0x00000000004014B0" : "0x004014B0";
    EXPECT_EQ("272        0x0065F258 0x00660000 " + start +
                  " EntryPoint worker\r\n0x00000110 0x0065F258 0x00660000 " + start + "  worker\r\n",
              report.Text());
}

TEST(ReportLine, LongLineIsCutToItsBufferKeepingItsLineEndAndWholeCharacters)
{
    char line[kReportLineSize];
    const std::string text(600, 'a'), fits(kReportLineSize - 3, 'b');
    EXPECT_EQ(std::string(kReportLineSize - 3, 'a') + "\r\n",
              std::string(line, FormatReportLine(line, CP_ACP, "%s\r\n", text.c_str())));
    EXPECT_EQ("\r\n" + std::string(kReportLineSize - 3, 'a'),
              std::string(line, FormatReportLine(line, CP_ACP, "\r\n%s Mhz", text.c_str())))
        << "a line without its own line end gets none";
    EXPECT_EQ(fits + "\r\n", std::string(line, FormatReportLine(line, CP_ACP, "%s\r\n", fits.c_str())));

    // No cut splits a double-byte character, nor takes its trail byte for a backslash: 0x83 0x5C is one
    // character in code page 932.
    ASSERT_TRUE(IsValidCodePage(932));
    const std::string doubleByte = std::string(kReportLineSize - 4, 'a') + "\x83\x5Czzzz";
    EXPECT_EQ(std::string(kReportLineSize - 4, 'a') + "\r\n",
              std::string(line, FormatReportLine(line, 932, "%s\r\n", doubleByte.c_str())));

    const char* path = "D:\\Tools\\\x83\x5C"
                       "file.exe";
    EXPECT_EQ(path + 8, FindLastChar(path, '\\', 932));
    EXPECT_EQ(path + 10, FindLastChar(path, '\\', 1252));
    EXPECT_EQ(NULL, FindLastChar("ab\x83", '\\', 932)) << "a lead byte at the end";
}
