// The lines of the crash report, written into a pipe and compared byte for byte.
#include <regex>
#include <string>

#include "CrashTestFiles.h"
#include "crash/CrashReport.h"
#include "crash/DebugHelp.h"
#include "crash/ReportLine.h"

TEST(ExceptionLines, UnknownCodeThreadHexOn9xLocationOnlyWithTwoParameters)
{
    const struct
    {
        DWORD code, parameters, first, second, thread;
        int isNt;
        const char* text;
    } kRows[] = {// The end-to-end crashes show the access violations with their location on NT.
                 {0xC0000005, 1, 0, 0, 5, 1, "Access Violation [0xC0000005] at 0x004015B5 in Thread 5.\r\n"},
                 {0xE0000001, 2, 0, 0, 5, 1, "Exception [0xE0000001] at 0x004015B5 in Thread 5.\r\n"},
                 {0xC0000005, 2, 8, 0xBAD, 0xFFF1234B, 0,
                  "Access Violation [0xC0000005] at 0x004015B5 in Thread 0xFFF1234B.\r\nWrite to location "
                  "0x00000BAD.\r\n"}};
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

TEST(MachineLines, WowAndThe9xFamily)
{
    // The architecture line names the build's own processor.
    const std::string kArchitecture = sizeof(void*) == 8 ? "x64" : "x86";
    const struct
    {
        int processors, isNt, wow64;
        std::string text;
    } kRows[] = {{0, 1, 1,
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

TEST(ThreadRow, IdInHexOn9x)
{
    const C_ThreadRecord record = {NULL, NULL, 272, 0x0065F258, 0x00660000, "worker", 0x004014B0};
    C_ReportPipe report;
    WriteThreadRow(report, record, "", 0);
    // The start address takes the width of the build's pointers.
    const std::string start = sizeof(void*) == 8 ? "0x00000000004014B0" : "0x004014B0";
    EXPECT_EQ("0x00000110 0x0065F258 0x00660000 " + start + "  worker\r\n", report.Text());
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
