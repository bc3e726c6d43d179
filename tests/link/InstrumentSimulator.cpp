#include "InstrumentSimulator.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <sstream>

// Set by tests/CMakeLists.txt: Linux paths of python3, the simulator, the scenarios and the folder
// for run folders.
#ifndef KARPOLIN_PYTHON
#error KARPOLIN_PYTHON must name python3 of the host
#endif

namespace
{

// The Windows name of a Linux path, through the drive that maps the Linux root.
std::string WindowsPath(const std::string& linuxPath)
{
    std::string path = "Z:" + linuxPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

int ReadWhole(const std::string& linuxPath, std::string* text)
{
    HANDLE file = CreateFileA(WindowsPath(linuxPath).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    text->clear();
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, NULL) && got > 0)
        text->append(buffer, got);
    CloseHandle(file);
    return 1;
}

int Exists(const std::string& linuxPath)
{
    return GetFileAttributesA(WindowsPath(linuxPath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteWhole(const std::string& linuxPath, const char* text)
{
    HANDLE file = CreateFileA(WindowsPath(linuxPath).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, text, (DWORD)strlen(text), &written, NULL);
    CloseHandle(file);
}

// A fresh run folder named after the running test.
std::string MakeRunDir()
{
    std::string name = "run";
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    if (info)
        name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/')
            c = '_';
    std::string dir = std::string(KARPOLIN_SIM_RUNS) + "/" + name;
    CreateDirectoryA(WindowsPath(KARPOLIN_SIM_RUNS).c_str(), NULL);
    CreateDirectoryA(WindowsPath(dir).c_str(), NULL);
    const char* files[] = {"ready", "log", "stop", "done"};
    for (const char* file : files)
        DeleteFileA(WindowsPath(dir + "/" + file).c_str());
    return dir;
}

} // namespace

std::string FromHex(const std::string& hex)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += (char)strtoul(hex.substr(i, 2).c_str(), NULL, 16);
    return bytes;
}

double C_InstrumentSimulator::Now()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks;
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    // 100 ns units since 1601; the Unix epoch is 11644473600 s later.
    return (double)ticks.QuadPart / 1e7 - 11644473600.0;
}

C_InstrumentSimulator::C_InstrumentSimulator() : m_markerTime(0), m_running(0) {}

C_InstrumentSimulator::~C_InstrumentSimulator()
{
    Stop();
}

std::string C_InstrumentSimulator::RunFile(const char* name) const
{
    return m_runDir + "/" + name;
}

int C_InstrumentSimulator::Start(const char* port, const char* scenario, int deadlineSeconds)
{
    m_runDir = MakeRunDir();
    char command[2048];
    _snprintf(command, sizeof(command) - 1, "%s %s --port %s --scenario %s/%s --dir %s --deadline %d",
              KARPOLIN_PYTHON, KARPOLIN_SIMULATOR, port, KARPOLIN_SCENARIOS, scenario, m_runDir.c_str(),
              deadlineSeconds);
    command[sizeof(command) - 1] = 0;

    // Wine starts a Linux program itself; the handle it gives back cannot be waited for, so the
    // run folder carries everything.
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
    {
        m_problem = "the simulator did not start";
        return 0;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    m_running = 1;

    std::string ready;
    for (int i = 0; i < 500 && !ReadWhole(RunFile("ready"), &ready); ++i)
        Sleep(20);
    if (ready.compare(0, 3, "ok ") != 0)
    {
        m_problem = ready.empty() ? "the simulator did not get ready" : ready;
        Stop();
        return 0;
    }
    return 1;
}

void C_InstrumentSimulator::Stop()
{
    if (!m_running)
        return;
    m_running = 0;
    WriteWhole(RunFile("stop"), "stop\n");
    for (int i = 0; i < 250 && !Exists(RunFile("done")); ++i)
        Sleep(20);
    ReadLog();
}

void C_InstrumentSimulator::ReadLog()
{
    ReadWhole(RunFile("log"), &m_log);
    m_received.clear();
    m_records.clear();
    m_header.clear();
    m_markerTime = 0;
    std::istringstream lines(m_log);
    std::string line;
    while (std::getline(lines, line))
    {
        std::istringstream words(line);
        std::string kind;
        double time = 0;
        words >> kind >> time;
        if (kind == "rx")
        {
            Received r;
            std::string hex;
            r.time = time;
            words >> hex >> r.baud >> r.dataBits >> r.parity >> r.stopBits;
            r.bytes = FromHex(hex);
            m_received.push_back(r);
        }
        else if (kind == "record" || kind == "header")
        {
            std::string hex;
            words >> hex;
            if (kind == "record")
                m_records.push_back(FromHex(hex));
            else
                m_header = FromHex(hex);
        }
        else if (kind == "marker")
            m_markerTime = time;
    }
}

std::string C_InstrumentSimulator::ReceivedBytes() const
{
    std::string bytes;
    for (const Received& r : m_received)
        bytes += r.bytes;
    return bytes;
}
