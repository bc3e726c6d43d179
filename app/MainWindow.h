#pragma once

#include <windows.h>

#include <atomic>

#include "app/AboutBox.h"
#include "app/Anchor.h"
#include "app/Settings.h"
#include "data/DataFile.h"
#include "data/Measurement.h"
#include "data/ValueDisplay.h"
#include "link/Download.h"
#include "link/ProgressDialog.h"
#include "sys/Thread.h"
#include "ui/Dialog.h"
#include "ui/LinkControl.h"
#include "ui/ListView.h"
#include "ui/Menu.h"
#include "ui/MessageOwner.h"
#include "ui/StringTable.h"
#include "ui/Version.h"

// The port menu item of a Port setting, compared exactly ("COM3" is none); 0 when none. An item above
// com8 exists only while the menu lists that port.
UINT PortItemOfName(const char* port);

// The font dialog's start from the settings, and the settings from what the user confirmed there.
LOGFONTA DisplayFontRequest(const Settings& settings);
void TakeChosenFont(const LOGFONTA& chosen, Settings* settings);

// The program's main window (template 101): the header fields, the list of measuring points and
// the menu bar with every command. Owns every other object of the program. Built without any
// window, file, key or thread; everything is set up in OnInitDialog and saved in OnClosing.
class C_MainWindow : public C_Dialog
{
public:
    C_MainWindow();
    ~C_MainWindow() override;

    int OnInitDialog() override;
    int OnClosing(INT_PTR result) override;
    int OnCommand(WORD id, WPARAM wparam, LPARAM lparam) override;
    INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

    // Rebuilds the display from the data; `self` is the main window. A worker may call it: it has the
    // user-interface thread do it and waits.
    static void Refresh(void* self);

    typedef int (*FontChooser)(LOGFONTA* font, HWND owner);
    // Tests only: "Select Font..." calls `chooser` instead of the system's font dialog; null
    // restores it.
    static void InjectFontChooser(FontChooser chooser);
    // Tests only: the card commands talk over `port` instead of the serial port (an erase that waits
    // 35 s for its acknowledgement); null restores it.
    static void InjectPort(C_Port* port);

private:
    MessageOwner Owner();
    DataFileJob FileJob();
    // What the display shows and from which data.
    DisplayContext Display();
    void SetPortChecks(UINT item);
    // The port menu's items below the fixed eight, as the ports are now.
    void FillPorts(HMENU menu);
    void ApplyLanguage(WORD language);
    int ApplyDisplayFont();
    void ChooseDisplayFont();
    void ShowInfo();
    // Fills what both card commands share from the settings and the data.
    void FillCardJob(CardJob& job);
    void Synchronize();
    void Reset();
    // The option flips between 1 and 0 (anything but 1 counts as 0); returns the new value.
    static DWORD Toggle(DWORD* option);

    C_File m_file;
    C_Menu m_menu;
    C_ListView m_list;
    C_Anchor m_anchor;
    C_Thread m_downloadThread;
    C_StringTable m_strings;
    RecordList m_records;
    C_AboutBox m_aboutBox;
    C_ProgressDialog m_progress;
    C_LinkControl m_firstLink;
    C_LinkControl m_secondLink;
    char m_title[kTitleSize];

    MeasurementHeader m_header;
    // Written by one thread, read by the other, each as a whole word.
    std::atomic<LONG> m_dataValid;
    std::atomic<LONG> m_cancelRequested;
    DownloadJob m_downloadJob; // the worker reads it while it runs
    int m_unsaved = 0;         // the data on screen came from the card and no file holds them yet
    Settings m_settings;       // the selected language included
    HFONT m_displayFont;
};
