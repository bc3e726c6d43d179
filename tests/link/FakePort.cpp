#include "FakePort.h"

#include <string.h>

int C_FakePort::Open()
{
    ++opens;
    events.push_back("open");
    m_open = openResult;
    return openResult;
}

void C_FakePort::Close()
{
    ++closes;
    events.push_back("close");
    m_open = 0;
}

int C_FakePort::SetTimeouts(int mode)
{
    m_mode = mode;
    return 1;
}

int C_FakePort::Write(const void* bytes, DWORD count, DWORD* written)
{
    if (!writeResult)
    {
        *written = 0;
        return 0;
    }
    this->written.append(static_cast<const char*>(bytes), count);
    *written = count;
    return 1;
}

int C_FakePort::Read(void* buffer, DWORD count, DWORD* received)
{
    const size_t index = reads.size();
    reads.push_back(ReadCall{count, m_mode});
    for (auto& action : m_actions)
        if (action.first == index)
            action.second();
    *received = 0;
    if (index >= m_answers.size())
        return 1; // nothing scripted: the line is silent
    const Answer& answer = m_answers[index];
    DWORD n = (DWORD)answer.bytes.size();
    if (n > count)
        n = count;
    memcpy(buffer, answer.bytes.data(), n);
    *received = n;
    return answer.ok;
}

double C_FakePort::LongestWait(size_t readIndex) const
{
    if (readIndex >= reads.size())
        return -1;
    const ReadCall& call = reads[readIndex];
    COMMTIMEOUTS timeouts;
    memset(&timeouts, 0, sizeof(timeouts));
    ApplyReadTimeouts(timeouts, call.timeoutMode);
    return (double)timeouts.ReadTotalTimeoutMultiplier * call.count + timeouts.ReadTotalTimeoutConstant;
}
