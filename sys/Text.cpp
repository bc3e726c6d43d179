#include "sys/Text.h"

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

C_Text::C_Text() : m_text(NULL), m_capacity(0), m_length(0)
{
    Reserve(kDefaultCapacity);
}

C_Text::C_Text(int capacity) : m_text(NULL), m_capacity(0), m_length(0)
{
    Reserve(capacity);
}

C_Text::~C_Text()
{
    free(m_text);
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
