#pragma once

// The program's string table as a user sees it: the texts in code page 1252.

struct StringRow
{
    unsigned id;
    const char* english;
    const char* german;
};

static const StringRow kStringTable[] = {
    {1, "Can't open Serial Port.",
     "Der serielle Port kann nicht ge\xf6"
     "ffnet werden."},
    {2, "Can't set CommState.",
     "Die Parameter f\xfc"
     "r den seriellen Port k\xf6"
     "nnen nicht gesetzt werden."},
    {3, "Protocol Error. [ID: %u]", "Protocol Error. [ID: %u]"},
    {4, "Erase all values from the card?",
     "Alle Daten auf der Karte l\xf6"
     "schen?"},
    {5, "Card values successfully reseted.",
     "Daten auf der Karte erfolgreich gel\xf6"
     "scht."},
    {6, "No Data available to save.",
     "Keine Daten zum speichern verf\xfc"
     "gbar."},
    {7, "Can't create file.", "Die Datei kann nicht erzeugt werden."},
    {8, "Can't write full file. [%u]", "Die Datei kann nicht geschrieben werden. [%u]"},
    {9, "Can't open file.",
     "Die Datei kann nicht ge\xf6"
     "ffnet werden."},
    {10, "Can't read file. [%u]", "Die Datei kann nicht gelesen werden. [%u]"},
    {11, "measuring point", "Messpunkt"},
    {12, "damping",
     "D\xe4"
     "mpfung"},
    {13, "gas meter", "Gasuhr"},
    {14, "P pressure drop velocity - mbar", "P Staurohr - mbar"},
    {15, "volume flow rate - m%c/h", "Volumenstrom - m%c/h"},
    {16,
     "T temperature stack - \xb0"
     "C",
     "T Kanal - \xb0"
     "C"},
    {17, "P pressure stack - mbar", "P Kanal - mbar"},
    {18, "Data files|*.dat|All files|*.*|", "Daten Dateien|*.dat|Alle Dateien|*.*|"},
    {19, "Please select filename",
     "Bitte Datei ausw\xe4"
     "hlen"},
    {20, "Cancel", "Abbruch"},
    {21, "Please wait", "Bitte warten"},
    {22,
     "T temperature gas meter - \xb0"
     "C",
     "T Gasuhr - \xb0"
     "C"},
    {24, "Rho [density standard]", "Rho [Dichte Norm]"},
    {25, "measuring day", "Messtag"},
    {26, "D [diameter nozzle]", "D [Durchmesser Sonde]"},
    {27, "t [time per point]", "t [Zeit pro Messpunkt]"},
    {28, "f [humidity]", "f [Feuchte]"},
    {29, "C [correction velocity]", "C [Korrekturfaktor Staurohr]"},
    {30, "V [additional flow]", "V [Teilvolumenstrom Norm]"},
    {31, "check date",
     "Pr\xfc"
     "fdatum"},
    {32, "check time",
     "Pr\xfc"
     "fzeit"},
    {33, "measuring time", "Uhrzeit"},
    {34, "n [no. measure]", "n [Anzahl Messpunkte]"},
    {35, "unit number",
     "Ger\xe4"
     "tenummer"},
    {36, "identification ", "Identifikation"},
    {37, "stack values", "Kanalparameter"},
    {38, "vacuum check", "Dichtigkeitstest"},
    {39, "sampling", "Probennahme"},
    {40, "time", "Zeit"},
};
