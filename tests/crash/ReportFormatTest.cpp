// The lines of the crash report, written into real files and read back.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "CrashTestFiles.h"
#include "crash/CrashReport.h"
#include "crash/ReportLine.h"

namespace
{

typedef std::vector<std::string> Lines;

EXCEPTION_RECORD Record(DWORD code, DWORD address, int parameters = 0, ULONG_PTR first = 0,
                        ULONG_PTR second = 0)
{
    EXCEPTION_RECORD record;
    memset(&record, 0, sizeof(record));
    record.ExceptionCode = code;
    record.ExceptionAddress = reinterpret_cast<void*>((ULONG_PTR)address);
    record.NumberParameters = parameters;
    record.ExceptionInformation[0] = first;
    record.ExceptionInformation[1] = second;
    return record;
}

C_ModuleRecord Module(DWORD stamp, const wchar_t* path)
{
    C_ModuleRecord record;
    memset(&record, 0, sizeof(record));
    record.imageSize = 385024;
    record.timeDateStamp = stamp;
    record.checkSum = 0x61888;
    record.imageBase = 0x400000;
    record.path = const_cast<wchar_t*>(path);
    return record;
}

} // namespace

TEST(ExceptionName, NamesEveryCodeOfTheTableAndExceptionForOthers)
{
    const struct
    {
        DWORD code;
        const char* name;
    } kRows[] = {{0x40010005, "Control-C"},
                 {0x40010008, "Control-Break"},
                 {0x80000002, "Datatype Misalignment"},
                 {0x80000003, "Breakpoint"},
                 {0xC0000005, "Access Violation"},
                 {0xC0000006, "In Page Error"},
                 {0xC0000017, "No Memory"},
                 {0xC000001D, "Illegal Instruction"},
                 {0xC0000025, "Noncontinuable Exception"},
                 {0xC0000026, "Invalid Disposition"},
                 {0xC000008C, "Array Bounds Exceeded"},
                 {0xC000008D, "Float Denormal Operand"},
                 {0xC000008E, "Float Divide by Zero"},
                 {0xC000008F, "Float Inexact Result"},
                 {0xC0000090, "Float Invalid Operation"},
                 {0xC0000091, "Float Overflow"},
                 {0xC0000092, "Float Stack Check"},
                 {0xC0000093, "Float Underflow"},
                 {0xC0000094, "Integer Divide by Zero"},
                 {0xC0000095, "Integer Overflow"},
                 {0xC0000096, "Privileged Instruction"},
                 {0xC00000FD, "Stack Overflow"},
                 {0xC0000142, "DLL Initialization Failed"},
                 {0xE06D7363, "Microsoft C++ Exception"},
                 {0xC0000135, "Exception"},
                 {0, "Exception"},
                 {0xE0000001, "Exception"}};
    for (const auto& row : kRows)
        EXPECT_STREQ(row.name, GetExceptionName(row.code)) << std::hex << row.code;
}

TEST(ExceptionLines, ReadOfAddressZeroOnNtNamesThreadInDecimal)
{
    C_TempReport report;
    WriteExceptionLines(report.Handle(), Record(0xC0000005, 0x4015B5, 2, 0, 0), 272, 1);
    EXPECT_EQ((Lines{"Access Violation [0xC0000005] at 0x004015B5 in Thread 272.",
                     "Read from location 0x00000000."}),
              report.Lines());
}

TEST(ExceptionLines, NinetyFiveFamilyNamesThreadInHex)
{
    C_TempReport report;
    WriteExceptionLines(report.Handle(), Record(0xC0000094, 0x401000), 0xFFF1234B, 0);
    EXPECT_EQ((Lines{"Integer Divide by Zero [0xC0000094] at 0x00401000 in Thread 0xFFF1234B."}),
              report.Lines());
}

TEST(ExceptionLines, WriteAndExecuteFaultsSayWriteTo)
{
    C_TempReport report;
    WriteExceptionLines(report.Handle(), Record(0xC0000005, 0x401000, 2, 1, 0xBAD), 5, 1);
    WriteExceptionLines(report.Handle(), Record(0xC0000005, 0, 2, 8, 0), 5, 1);
    EXPECT_EQ(
        (Lines{"Access Violation [0xC0000005] at 0x00401000 in Thread 5.", "Write to location 0x00000BAD.",
               "Access Violation [0xC0000005] at 0x00000000 in Thread 5.", "Write to location 0x00000000."}),
        report.Lines());
}

TEST(ExceptionLines, NoLocationWithoutTwoParametersOrForOtherCodes)
{
    C_TempReport report;
    WriteExceptionLines(report.Handle(), Record(0xC0000005, 0x401000, 1, 0, 0), 5, 1);
    WriteExceptionLines(report.Handle(), Record(0xE0000001, 0x401000, 2, 0, 0), 5, 1);
    EXPECT_EQ((Lines{"Access Violation [0xC0000005] at 0x00401000 in Thread 5.",
                     "Exception [0xE0000001] at 0x00401000 in Thread 5."}),
              report.Lines());
}

TEST(RegisterLines, FollowAnEmptyLineInTheirOrder)
{
    CONTEXT context;
    memset(&context, 0, sizeof(context));
    context.Eax = 0x11111111;
    context.Ebx = 0x22222222;
    context.Ecx = 0x33333333;
    context.Edx = 0x44444444;
    context.Esi = 0x55555555;
    context.Edi = 0x66666666;
    context.Eip = 0x004015B5;
    context.Esp = 0x0065FE4C;
    context.Ebp = 0x0065FE88;
    context.EFlags = 0x10202;
    context.SegCs = 0x23;
    context.SegSs = 0x2B;
    context.SegDs = 0x2B;
    context.SegEs = 0x2B;
    context.SegFs = 0x6B;
    context.SegGs = 0x63;
    C_TempReport report;
    WriteRegisterLines(report.Handle(), context);
    EXPECT_EQ((Lines{"", "EAX=0x11111111, CS=0x0023, EIP=0x004015B5, Flags=0x00010202",
                     "EBX=0x22222222, SS=0x002B, ESP=0x0065FE4C, EBP=0x0065FE88",
                     "ECX=0x33333333, DS=0x002B, ESI=0x55555555, FS=0x006B",
                     "EDX=0x44444444, ES=0x002B, EDI=0x66666666, GS=0x0063"}),
              report.Lines());
}

namespace
{

OSVERSIONINFOA Version(DWORD platform, DWORD major, DWORD minor, DWORD build, const char* servicePack)
{
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    version.dwPlatformId = platform;
    version.dwMajorVersion = major;
    version.dwMinorVersion = minor;
    version.dwBuildNumber = build;
    strcpy(version.szCSDVersion, servicePack);
    return version;
}

// The machine section after the register block: its last line ends the block.
Lines MachineSection(int processors, int isNt)
{
    C_TempReport report;
    WriteReportLine(report.Handle(), "EDX=0x00000000, ES=0x002B, EDI=0x00000000, GS=0x0063\r\n");
    for (int i = 0; i < processors; i++)
        WriteProcessorLine(report.Handle(),
                           isNt ? "Intel(R) Pentium(R) 4 CPU 2.80GHz" : "x86 Family 15 Model 2",
                           "GenuineIntel", isNt ? "x86 Family 15 Model 2 Stepping 9" : "", 2793 + i);
    WriteOsLine(report.Handle(), isNt ? "Windows XP [Workstation]" : "Windows 98 SE",
                isNt ? Version(2, 5, 1, 2600, "Service Pack 2") : Version(1, 4, 10, 0x040A08AE, " A"), isNt);
    WriteArchitectureLine(report.Handle(), 0);
    return report.Lines();
}

} // namespace

TEST(MachineLines, TwoProcessorLinesThenOperatingSystemEachOnItsOwnLine)
{
    EXPECT_EQ(
        (Lines{"EDX=0x00000000, ES=0x002B, EDI=0x00000000, GS=0x0063", "",
               "Intel(R) Pentium(R) 4 CPU 2.80GHz GenuineIntel x86 Family 15 Model 2 Stepping 9 2793 Mhz",
               "Intel(R) Pentium(R) 4 CPU 2.80GHz GenuineIntel x86 Family 15 Model 2 Stepping 9 2794 Mhz",
               "Windows XP [Workstation] [5.1] Build 2600 Service Pack 2", "x86 Ansi"}),
        MachineSection(2, 1));
}

TEST(MachineLines, WithoutProcessorsTheOperatingSystemFollowsOneEmptyLine)
{
    EXPECT_EQ((Lines{"EDX=0x00000000, ES=0x002B, EDI=0x00000000, GS=0x0063", "",
                     "Windows XP [Workstation] [5.1] Build 2600 Service Pack 2", "x86 Ansi"}),
              MachineSection(0, 1));
}

TEST(MachineLines, NinetyFiveFamilyHasDoubleBlankAndBuildLowWord)
{
    EXPECT_EQ((Lines{"EDX=0x00000000, ES=0x002B, EDI=0x00000000, GS=0x0063", "",
                     "x86 Family 15 Model 2 GenuineIntel  2793 Mhz", "Windows 98 SE [4.10] Build 2222  A",
                     "x86 Ansi"}),
              MachineSection(1, 0));
}

TEST(MachineLines, ArchitectureNamesWow64)
{
    C_TempReport report;
    WriteArchitectureLine(report.Handle(), 1);
    EXPECT_EQ((Lines{"x86 WOW64 Ansi"}), report.Lines());
}

TEST(ModuleRow, LinkTimeZeroOneHourEastOfUtc)
{
    // The crash tests run with TZ=UTC-1 (tests/CMakeLists.txt): one hour east, no daylight saving.
    TIME_ZONE_INFORMATION zone;
    GetTimeZoneInformation(&zone);
    ASSERT_EQ(-60, zone.Bias) << "the test process must run one hour east of UTC";
    char date[kModuleTimeSize], time[kModuleTimeSize];
    FormatModuleTime(0, date, time);
    EXPECT_STREQ(" 1.01.1970", date);
    EXPECT_STREQ(" 1:00:00", time);

    C_TempReport report;
    WriteModuleRow(report.Handle(), Module(0, L"C:\\Tools\\Viewer.exe"));
    EXPECT_EQ((Lines{"  385024 0x00000000  1.01.1970  1:00:00 0x00061888 0x00400000    0.0000.0000.00000    "
                     "0.0000.0000.00000 - C:\\Tools\\Viewer.exe"}),
              report.Lines());
}

TEST(ModuleRow, VersionsInFixedColumnsAndNullPath)
{
    C_ModuleRecord record = Module(0x41107B4E, NULL);
    record.versionInfo.dwFileVersionMS = 0x00050001;
    record.versionInfo.dwFileVersionLS = 0x0A280884;
    record.versionInfo.dwProductVersionMS = 0x00060000;
    record.versionInfo.dwProductVersionLS = 0x17700001;
    record.imageBase = 0x7C800000;
    record.imageSize = 1;
    char date[kModuleTimeSize], time[kModuleTimeSize];
    FormatModuleTime(record.timeDateStamp, date, time);
    C_TempReport report;
    WriteModuleRow(report.Handle(), record);
    EXPECT_EQ((Lines{std::string("       1 0x41107B4E ") + date + " " + time +
                     " 0x00061888 0x7C800000    5.0001.2600.02180    6.0000.6000.00001 - (null)"}),
              report.Lines());
    EXPECT_STREQ(" 4.08.2004", date);
    EXPECT_STREQ(" 6:59:42", time);
}

TEST(ModuleRow, OverlongPathIsCutAndTheLineStillEndsInCrLf)
{
    std::wstring path = L"C:\\" + std::wstring(600, L'd') + L"\\tail.dll";
    C_TempReport report;
    WriteModuleRow(report.Handle(), Module(0, path.c_str()));
    WriteArchitectureLine(report.Handle(), 0);
    std::string text = report.Text();
    Lines lines = report.Lines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(kReportLineSize - 1u, lines[0].size() + 2) << "cut to the line buffer, CR LF included";
    EXPECT_EQ(std::string(50, 'd'), lines[0].substr(lines[0].size() - 50));
    EXPECT_EQ("x86 Ansi", lines[1]);
}

TEST(ModuleHeader, NamesTheColumns)
{
    C_TempReport report;
    WriteModuleHeader(report.Handle());
    WriteThreadHeader(report.Handle());
    EXPECT_EQ(
        (Lines{"", "ModuleList:", "    Size TimeStamp                      CheckSum   ImageBase  Versions",
               "", "ThreadList:", "Id         StackBase  StackEnd   StartAddress"}),
        report.Lines());
}

TEST(ThreadRow, NtInDecimalNinetyFiveFamilyInHex)
{
    C_ThreadRecord record;
    memset(&record, 0, sizeof(record));
    record.threadId = 272;
    record.stackBase = 0x0065F258;
    record.stackEnd = 0x00660000;
    record.startAddress = 0x004014B0;
    strcpy(record.name, "worker");
    C_TempReport report;
    WriteThreadRow(report.Handle(), record, "EntryPoint", 1);
    WriteThreadRow(report.Handle(), record, "", 0);
    record.threadId = 123456789;
    record.name[0] = 0;
    WriteThreadRow(report.Handle(), record, "", 1);
    EXPECT_EQ((Lines{"272        0x0065F258 0x00660000 0x004014B0 EntryPoint worker",
                     "0x00000110 0x0065F258 0x00660000 0x004014B0  worker",
                     "123456789   0x0065F258 0x00660000 0x004014B0  "}),
              report.Lines());
}

TEST(ReportLine, CutAtCharacterBoundaryKeepingLineEnd)
{
    char line[kReportLineSize];
    std::string text(600, 'a');
    int length = FormatReportLine(line, CP_ACP, "%s\r\n", text.c_str());
    EXPECT_EQ(kReportLineSize - 1, length);
    EXPECT_EQ(std::string(kReportLineSize - 3, 'a') + "\r\n", std::string(line, length));

    // Without a line end of its own, the cut line has none either.
    length = FormatReportLine(line, CP_ACP, "\r\n%s Mhz", text.c_str());
    EXPECT_EQ(kReportLineSize - 1, length);
    EXPECT_EQ("\r\n" + std::string(kReportLineSize - 3, 'a'), std::string(line, length));

    // A text that fits exactly is not cut.
    std::string fits(kReportLineSize - 3, 'b');
    length = FormatReportLine(line, CP_ACP, "%s\r\n", fits.c_str());
    EXPECT_EQ(fits + "\r\n", std::string(line, length));
}

TEST(ReportLine, CutNeverSplitsADoubleByteCharacter)
{
    ASSERT_TRUE(IsValidCodePage(932));
    // 0x83 0x5C is one character in code page 932; its trail byte is a backslash.
    std::string text = std::string(kReportLineSize - 4, 'a') + "\x83\x5C" + "zzzz";
    char line[kReportLineSize];
    int length = FormatReportLine(line, 932, "%s\r\n", text.c_str());
    EXPECT_EQ(std::string(kReportLineSize - 4, 'a') + "\r\n", std::string(line, length));

    char symbol[8];
    CopyTextCut(symbol, sizeof(symbol), "abcdef\x83\x5C", 932);
    EXPECT_STREQ("abcdef", symbol);
    CopyTextCut(symbol, sizeof(symbol), "abcde\x83\x5C", 932);
    EXPECT_STREQ("abcde\x83\x5C", symbol);
}
