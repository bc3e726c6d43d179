#pragma once

#include <gtest/gtest.h>

#include <string>

// The program's string table as the description gives it, in UTF-16.
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
    {5, L"Card values successfully reseted.", L"Daten auf der Karte erfolgreich gel\u00f6scht."},
    {6, L"No Data available to save.", L"Keine Daten zum speichern verf\u00fcgbar."},
    {7, L"Can't create file.", L"Die Datei kann nicht erzeugt werden."},
    {8, L"Can't write full file. [%u]", L"Die Datei kann nicht geschrieben werden. [%u]"},
    {9, L"Can't open file.", L"Die Datei kann nicht ge\u00f6ffnet werden."},
    {10, L"Can't read file. [%u]", L"Die Datei kann nicht gelesen werden. [%u]"},
    {11, L"measuring point", L"Messpunkt"},
    {12, L"damping", L"D\u00e4mpfung"},
    {13, L"gas meter", L"Gasuhr"},
    {14, L"P pressure drop velocity - mbar", L"P Staurohr - mbar"},
    {15, L"volume flow rate - m%c/h", L"Volumenstrom - m%c/h"},
    {16, L"T temperature stack - \u00b0C", L"T Kanal - \u00b0C"},
    {17, L"P pressure stack - mbar", L"P Kanal - mbar"},
    {18, L"Data files|*.dat|All files|*.*|", L"Daten Dateien|*.dat|Alle Dateien|*.*|"},
    {19, L"Please select filename", L"Bitte Datei ausw\u00e4hlen"},
    {20, L"Cancel", L"Abbruch"},
    {21, L"Please wait", L"Bitte warten"},
    {22, L"T temperature gas meter - \u00b0C", L"T Gasuhr - \u00b0C"},
    {24, L"Rho [density standard]", L"Rho [Dichte Norm]"},
    {25, L"measuring day", L"Messtag"},
    {26, L"D [diameter nozzle]", L"D [Durchmesser Sonde]"},
    {27, L"t [time per point]", L"t [Zeit pro Messpunkt]"},
    {28, L"f [humidity]", L"f [Feuchte]"},
    {29, L"C [correction velocity]", L"C [Korrekturfaktor Staurohr]"},
    {30, L"V [additional flow]", L"V [Teilvolumenstrom Norm]"},
    {31, L"check date", L"Pr\u00fcfdatum"},
    {32, L"check time", L"Pr\u00fcfzeit"},
    {33, L"measuring time", L"Uhrzeit"},
    {34, L"n [no. measure]", L"n [Anzahl Messpunkte]"},
    {35, L"unit number", L"Ger\u00e4tenummer"},
    {36, L"identification ", L"Identifikation"},
    {37, L"stack values", L"Kanalparameter"},
    {38, L"vacuum check", L"Dichtigkeitstest"},
    {39, L"sampling", L"Probennahme"},
    {40, L"time", L"Zeit"},
};

// Code page 1252 agrees with UTF-16 below 0x80 and from 0xA0 to 0xFF, which is all these texts use.
inline std::string Cp1252Of(const std::wstring& text)
{
    std::string bytes;
    for (wchar_t unit : text)
    {
        EXPECT_TRUE(unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) << "unit " << (int)unit;
        bytes += (char)unit;
    }
    return bytes;
}
