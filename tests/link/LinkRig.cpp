#include "LinkRig.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

// KARPOLIN_PYTHON, _SIMULATOR, _SCENARIOS and _SIM_RUNS, Linux paths, come from tests/CMakeLists.txt.

// Z: maps the Linux root, and Windows takes '/' as a separator. "" when there is no such file.
static std::string ReadWhole(const std::string& linuxPath)
{
    std::ostringstream text;
    text << std::ifstream("Z:" + linuxPath, std::ios::binary).rdbuf();
    return text.str();
}

int C_InstrumentSimulator::Start(const char* port, const char* scenario, int deadlineSeconds)
{
    // A run folder per test and port; the simulator makes it.
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    m_dir = std::string(KARPOLIN_SIM_RUNS) + "/" + (test ? test->name() : "run") + "." + port;
    for (const char* file : {"/ready", "/log", "/stop", "/done"})
        DeleteFileA(("Z:" + m_dir + file).c_str());

    char command[2048];
    snprintf(command, sizeof(command), "%s %s --port %s --scenario %s/%s --dir %s --deadline %d",
             KARPOLIN_PYTHON, KARPOLIN_SIMULATOR, port, KARPOLIN_SCENARIOS, scenario, m_dir.c_str(),
             deadlineSeconds);
    // The handle Wine gives for a Linux program cannot be waited for: the run folder carries everything.
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    m_running = CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::string ready;
    for (int i = 0; m_running && i < 500 && (ready = ReadWhole(m_dir + "/ready")).empty(); ++i)
        Sleep(20);
    if (ready.compare(0, 3, "ok ") == 0)
        return 1;
    problem = ready.empty() ? "the simulator did not start or get ready" : ready;
    Stop();
    return 0;
}

void C_InstrumentSimulator::Stop()
{
    if (!m_running)
        return;
    m_running = 0;
    std::ofstream("Z:" + m_dir + "/stop") << "stop\n";
    for (int i = 0; i < 250 && ReadWhole(m_dir + "/done").empty(); ++i)
        Sleep(20);
    std::istringstream lines(log = ReadWhole(m_dir + "/log"));
    for (std::string line, kind, hex; std::getline(lines, line);)
    {
        std::istringstream words(line);
        double time = 0;
        words >> kind >> time >> hex;
        if (kind == "rx" && std::getline(words, line))
            received.push_back(hex + line);
        else if (kind == "marker")
            markerTime = time;
    }
}
