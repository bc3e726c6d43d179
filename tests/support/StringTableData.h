#pragma once

#include <gtest/gtest.h>

#include <string>

// Texts of the program's string table in UTF-16: the first four, and those that carry what a resource
// script's encoding could lose (umlauts, "°", a trailing blank) or the formats that callers fill in.
struct StringRow
{
    unsigned id;
    const wchar_t* english;
    const wchar_t* german;
};

static const StringRow kStringTable[] = {
    {1, L"Can't open Serial Port.", L"Der serielle Port kann nicht ge\u00f6ffnet werden."},
    {2, L"Can't set CommState.",
     L"Die Parameter f\u00fcr den seriellen Port k\u00f6nnen nicht gesetzt werden."},
    {3, L"Protocol Error. [ID: %u]", L"Protocol Error. [ID: %u]"},
    {4, L"Erase all values from the card?", L"Alle Daten auf der Karte l\u00f6schen?"},
    {15, L"volume flow rate - m%c/h", L"Volumenstrom - m%c/h"},
    {16, L"T temperature stack - \u00b0C", L"T Kanal - \u00b0C"},
    {36, L"identification ", L"Identifikation"},
};

// Code page 1252 agrees with UTF-16 below 0x80 and from 0xA0 to 0xFF, which is all these texts use.
inline std::string Cp1252Of(const std::wstring& text)
{
    for (wchar_t unit : text)
        EXPECT_TRUE(unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) << "unit " << (int)unit;
    return std::string(text.begin(), text.end());
}
