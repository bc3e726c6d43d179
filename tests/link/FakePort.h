#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "link/SerialPort.h"

// A scripted line for the cases the real one would take minutes over (the 35 s acknowledgement, the
// 30000 * N + 5000 ms block wait) or cannot produce (a failing read or write). Each read takes the
// next scripted answer at once and remembers what it was asked and under which time-out set.
class C_FakePort : public C_Port
{
public:
    struct Answer
    {
        int ok;            // the platform's success flag
        std::string bytes; // what arrived (at most what was asked for)
    };
    struct ReadCall
    {
        DWORD count;
        int timeoutMode;
    };

    C_FakePort() : opens(0), closes(0), openResult(1), writeResult(1), m_mode(-1), m_open(0) {}

    // Scripts the next reads.
    void Then(const std::string& bytes) { m_answers.push_back(Answer{1, bytes}); }
    void ThenSilence() { m_answers.push_back(Answer{1, std::string()}); }
    void ThenFailure() { m_answers.push_back(Answer{0, std::string()}); }
    // Runs before the read with that index (0 = first read) is answered.
    void Before(size_t readIndex, std::function<void()> action) { m_actions.push_back({readIndex, action}); }

    int Open() override;
    void Close() override;
    int SetTimeouts(int mode) override;
    int Write(const void* bytes, DWORD count, DWORD* written) override;
    int Read(void* buffer, DWORD count, DWORD* received) override;

    // How long the read with that index may wait on a real line with nothing arriving, in ms.
    double LongestWait(size_t readIndex) const;
    int IsOpen() const { return m_open; }

    int opens;
    int closes;
    int openResult;
    int writeResult;
    std::string written;
    std::vector<ReadCall> reads;
    // "open" and "close" in order, and whatever a test adds between them.
    std::vector<std::string> events;

private:
    std::vector<Answer> m_answers;
    std::vector<std::pair<size_t, std::function<void()>>> m_actions;
    int m_mode;
    int m_open;
};
