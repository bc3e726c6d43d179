#pragma once

#include <windows.h>

// The last position at or before `position` at which a character of `text` begins in `codePage`, so
// that a cut there never leaves half of a double-byte character.
int CharBoundaryBefore(const char* text, int position, UINT codePage);

// Copies as much of `source` as fits `size` bytes with its terminator, cut at a character boundary;
// a null source copies nothing. Returns the bytes copied.
int CopyWholeCharacters(char* destination, int size, const char* source, UINT codePage);

// A growable NUL-terminated ANSI text. Every failure leaves an empty text of 260 bytes and a result
// of 0, so callers can go on with whatever text is left.
class C_Text
{
public:
    enum
    {
        kDefaultCapacity = 260
    };

    C_Text();
    explicit C_Text(int capacity);
    ~C_Text();

    int Reserve(int capacity);
    int Reset(int capacity);
    int Assign(const char* text);
    int Assign(const char* text, int count);
    int Append(const char* text);
    char* Truncate(int position);
    // The writable buffer; with a destination the text is copied there first (the caller guarantees room).
    char* GetString(char* destination = NULL);
    const char* c_str() const { return m_text ? m_text : ""; }
    int Length() const { return m_length > 0 ? m_length - 1 : 0; }
    int Capacity() const { return m_capacity; }
    // Recounts after the caller wrote into the buffer directly.
    void SyncLength();

private:
    C_Text(const C_Text&) = delete;
    C_Text& operator=(const C_Text&) = delete;

    char* m_text;
    int m_capacity;
    int m_length; // bytes up to and including the terminator
};
