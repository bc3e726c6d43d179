#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The instrument simulator (tools/instrument-sim.py) run for one test: a Linux process that Wine
// starts, linked to this test by a run folder that both reach (Z:\ is the Linux root). It links the
// COM name to a pseudo-terminal, plays a scenario of tests/link/scenarios and logs what it received.
class C_InstrumentSimulator
{
public:
    struct Received
    {
        double time;
        std::string bytes;
        int baud;
        int dataBits;
        char parity;
        int stopBits;
    };

    C_InstrumentSimulator();
    ~C_InstrumentSimulator();

    // Starts the simulator on `port` (com3 ... com8) with scenario file `scenario` and waits until the
    // COM name exists. It ends by itself after `deadlineSeconds`. 0 with Problem() set on failure.
    int Start(const char* port, const char* scenario, int deadlineSeconds = 40);
    // Asks it to end, waits until it has removed its link, and reads its log. Called by the
    // destructor too.
    void Stop();
    // Reads the log written so far.
    void ReadLog();

    const std::string& Problem() const { return m_problem; }
    const std::string& Log() const { return m_log; }
    // Every byte the program sent, in order.
    std::string ReceivedBytes() const;
    const std::vector<Received>& Receptions() const { return m_received; }
    // The well-formed records and the header the simulator sent, as sent.
    const std::vector<std::string>& RecordsSent() const { return m_records; }
    const std::string& HeaderSent() const { return m_header; }
    // When the end marker left (Unix time in seconds), or 0.
    double MarkerTime() const { return m_markerTime; }

    // Unix time in seconds, the simulator's clock.
    static double Now();

private:
    C_InstrumentSimulator(const C_InstrumentSimulator&) = delete;
    C_InstrumentSimulator& operator=(const C_InstrumentSimulator&) = delete;

    std::string RunFile(const char* name) const;

    std::string m_runDir; // Linux path
    std::string m_problem;
    std::string m_log;
    std::vector<Received> m_received;
    std::vector<std::string> m_records;
    std::string m_header;
    double m_markerTime;
    int m_running;
};

// The bytes of a hex text.
std::string FromHex(const std::string& hex);
