#include "sys/Text.h"

#include <mbstring.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int CharBoundaryBefore(const char* text, int position, UINT codePage)
{
    int boundary = 0;
    while (boundary < position && text[boundary])
    {
        int step = IsDBCSLeadByteEx(codePage, (BYTE)text[boundary]) && text[boundary + 1] ? 2 : 1;
        if (boundary + step > position)
            break;
        boundary += step;
    }
    return boundary;
}

int CopyWholeCharacters(char* destination, int size, const char* source, UINT codePage)
{
    if (!destination || size <= 0)
        return 0;
    int copied = source ? CharBoundaryBefore(source, size - 1, codePage) : 0;
    memcpy(destination, source, copied);
    destination[copied] = 0;
    return copied;
}

C_Text::C_Text() : m_text(NULL), m_capacity(0), m_length(0), m_wide(NULL)
{
    Reserve(kDefaultCapacity);
}

C_Text::C_Text(int capacity) : m_text(NULL), m_capacity(0), m_length(0), m_wide(NULL)
{
    Reserve(capacity);
}

C_Text::~C_Text()
{
    free(m_text);
    free(m_wide);
}

int C_Text::Reserve(int capacity)
{
    if (capacity <= 0)
        capacity = 1;
    char* grown = static_cast<char*>(realloc(m_text, capacity));
    if (!grown)
    {
        m_capacity = 0;
        m_length = 0;
        return 0;
    }
    int hadBuffer = m_text != NULL && m_length > 0;
    m_text = grown;
    if (!hadBuffer)
    {
        m_length = 1;
        m_text[0] = 0;
    }
    else if (capacity < m_length)
    {
        m_length = capacity;
        m_text[capacity - 1] = 0;
    }
    m_capacity = capacity;
    return 1;
}

int C_Text::Reset(int capacity)
{
    int ok = Reserve(capacity);
    if (m_text && m_capacity > 0)
    {
        m_text[0] = 0;
        m_length = 1;
    }
    return ok;
}

int C_Text::Assign(const char* text)
{
    return Assign(text, text ? (int)strlen(text) : 0);
}

int C_Text::Assign(const char* text, int count)
{
    if (!text || count < 0)
        count = 0;
    if (m_capacity < count + 1 && !Reserve(count + 1))
    {
        Reset(kDefaultCapacity);
        return 0;
    }
    if (count)
        memmove(m_text, text, count);
    m_text[count] = 0;
    SyncLength();
    return 1;
}

int C_Text::AssignWide(const wchar_t* text)
{
    if (!text)
        return AssignWide(NULL, 0);
    return AssignWide(text, (int)wcslen(text));
}

int C_Text::AssignWide(const wchar_t* text, int count)
{
    if (!text)
    {
        Reset(m_capacity > 0 ? m_capacity : kDefaultCapacity);
        return 1;
    }
    if (m_capacity < count + 1 && !Reserve(count + 1))
    {
        Reset(kDefaultCapacity);
        return 0;
    }
    int written =
        count > 0 ? WideCharToMultiByte(CP_ACP, 0, text, count, m_text, m_capacity - 1, NULL, NULL) : 0;
    if (written <= 0 || written > m_capacity - 1)
    {
        Reset(kDefaultCapacity);
        return 0;
    }
    m_text[written] = 0;
    SyncLength();
    return 1;
}

int C_Text::Append(const char* text)
{
    if (!text)
        return 1;
    int count = (int)strlen(text);
    int needed = m_length + count;
    if (m_capacity < needed && !Reserve(needed + 20))
    {
        Reset(kDefaultCapacity);
        return 0;
    }
    memmove(m_text + m_length - 1, text, count + 1);
    m_length += count;
    return 1;
}

int C_Text::AppendChar(char c)
{
    if (m_capacity < m_length + 1 && !Reserve(m_length + 21))
    {
        Reset(kDefaultCapacity);
        return 0;
    }
    m_text[m_length - 1] = c;
    m_text[m_length] = 0;
    SyncLength();
    return 1;
}

int C_Text::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int ok = FormatV(format, args);
    va_end(args);
    return ok;
}

int C_Text::FormatV(const char* format, va_list args)
{
    if (m_capacity <= 0 && !Reserve(kDefaultCapacity))
    {
        Reset(kDefaultCapacity);
        return 0;
    }
    // The text grows in steps of 260 bytes until it fits, and gives up once the buffer has reached
    // 3 MiB. The step that fits is computed from the formatted length instead of formatting once per
    // step, which would cost thousands of passes for a long text.
    va_list count;
    va_copy(count, args);
    int needed = _vscprintf(format, count) + 1;
    va_end(count);
    if (needed <= 0)
    {
        Reset(kDefaultCapacity);
        return 0;
    }
    if (needed > m_capacity)
    {
        int steps = (needed - m_capacity + kDefaultCapacity - 1) / kDefaultCapacity;
        long long fitting = (long long)m_capacity + (long long)steps * kDefaultCapacity;
        // The step loop looks at the limit before each growth: it gives up when a capacity it
        // reached without fitting is already at the limit.
        if (fitting - kDefaultCapacity >= kFormatLimit)
        {
            Reserve(kDefaultCapacity);
            m_text[0] = 0;
            m_length = 1;
            return 0;
        }
        if (!Reserve((int)fitting))
        {
            Reset(kDefaultCapacity);
            return 0;
        }
        memset(m_text, 0, m_capacity);
    }
    int written = _vsnprintf(m_text, m_capacity - 1, format, args);
    if (written < 0)
    {
        Reset(kDefaultCapacity);
        return 0;
    }
    m_text[written] = 0;
    SyncLength();
    return 1;
}

int C_Text::Compare(const char* text) const
{
    return _mbscmp(reinterpret_cast<const unsigned char*>(c_str()),
                   reinterpret_cast<const unsigned char*>(text ? text : ""));
}

char* C_Text::TrimLeft()
{
    if (!m_text || m_length <= 1)
        return GetString();
    LCID locale = GetThreadLocale();
    char* p = m_text;
    while (*p)
    {
        char* next = CharNextA(p);
        WORD types[2] = {0, 0};
        if (!GetStringTypeExA(locale, CT_CTYPE1, p, (int)(next - p), types) || !(types[0] & C1_SPACE))
            break;
        p = next;
    }
    if (p != m_text)
        memmove(m_text, p, strlen(p) + 1);
    SyncLength();
    return m_text;
}

char* C_Text::Truncate(int position)
{
    if (!m_text || m_length <= 0)
        return GetString();
    if (position < 0)
        position = 0;
    if (position > m_length - 1)
        position = m_length - 1;
    m_text[position] = 0;
    SyncLength();
    return m_text;
}

char* C_Text::GetString(char* destination)
{
    if (destination)
        strcpy(destination, c_str());
    return m_text;
}

wchar_t* C_Text::ToWide(wchar_t* destination)
{
    const char* text = c_str();
    int units = m_length > 0 ? m_length : 1;
    if (destination)
        return MultiByteToWideChar(CP_ACP, 0, text, -1, destination, units) ? destination : NULL;
    free(m_wide);
    m_wide = static_cast<wchar_t*>(malloc(units * sizeof(wchar_t)));
    if (!m_wide)
        return NULL;
    if (!MultiByteToWideChar(CP_ACP, 0, text, -1, m_wide, units))
        return NULL;
    return m_wide;
}

void C_Text::SyncLength()
{
    if (!m_text || m_capacity <= 0)
    {
        m_length = 0;
        return;
    }
    m_length = (int)strnlen(m_text, m_capacity - 1) + 1;
    m_text[m_length - 1] = 0;
}
