#include "app/MainWindow.h"

#include <string.h>

#include "data/CsvExport.h"
#include "app/PortMenu.h"
#include "link/CardErase.h"
#include "res/Resource.h"
#include "ui/FontTools.h"

namespace
{

const int kMinimumWidth = 736;
const int kMinimumHeight = 344;

const char kFirstLinkText[] = "www.tarnwick.example";
const char kFirstLinkTarget[] = "http://www.tarnwick.example/";
const char kSecondLinkText[] = "service.tarnwick.example";
const char kSecondLinkTarget[] = "http://service.tarnwick.example/";
const UINT kStringSaveBeforeErase = 90;
const UINT kRefreshMessage = WM_APP + 1;

// Which string each group box shows; the header fields' labels are the display's.
const struct
{
    UINT string;
    int control;
} kBoxes[] = {
    {36, IDC_IDENTIFICATION_BOX}, {37, IDC_STACK_BOX}, {38, IDC_VACUUM_BOX}, {39, IDC_SAMPLING_BOX}};

// The controls that show the display font; the group boxes and the links keep the dialog's.
const int kFontControls[] = {IDC_POINT_LIST,
                             IDC_DENSITY_LABEL,
                             IDC_MEASURING_DAY_LABEL,
                             IDC_NOZZLE_LABEL,
                             IDC_POINT_TIME_LABEL,
                             IDC_HUMIDITY_LABEL,
                             IDC_CORRECTION_LABEL,
                             IDC_ADDITIONAL_FLOW_LABEL,
                             IDC_CHECK_DATE_LABEL,
                             IDC_CHECK_TIME_LABEL,
                             IDC_MEASURING_TIME_LABEL,
                             IDC_POINT_COUNT_LABEL,
                             IDC_UNIT_NUMBER_LABEL,
                             IDC_UNIT_NUMBER,
                             IDC_MEASURING_DAY,
                             IDC_MEASURING_TIME,
                             IDC_DENSITY,
                             IDC_HUMIDITY,
                             IDC_CHECK_DATE,
                             IDC_CHECK_TIME,
                             IDC_POINT_COUNT,
                             IDC_POINT_TIME,
                             IDC_NOZZLE,
                             IDC_CORRECTION,
                             IDC_ADDITIONAL_FLOW};

C_MainWindow::FontChooser g_chooseFont = C_FontTools::ChooseFont;
C_Port* g_port = NULL;

LONG FontWeight(DWORD bold)
{
    return bold == 1 ? FW_BOLD : FW_NORMAL;
}

} // namespace

UINT PortItemOfName(const char* port)
{
    return PortItemOfNumber(PortNumberOfText(port, 0));
}

LOGFONTA DisplayFontRequest(const Settings& settings)
{
    LOGFONTA font;
    memset(&font, 0, sizeof(font));
    font.lfHeight = settings.fontSize;
    font.lfWeight = FontWeight(settings.fontBold);
    font.lfItalic = (BYTE)settings.fontItalic;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(font.lfFaceName, settings.fontName, sizeof(font.lfFaceName));
    return font;
}

void TakeChosenFont(const LOGFONTA& chosen, Settings* settings)
{
    settings->fontSize = chosen.lfHeight;
    lstrcpynA(settings->fontName, chosen.lfFaceName, sizeof(settings->fontName));
    settings->useFont = 1;
    // Any weight but the normal one counts as bold, and bold is created with weight 700.
    settings->fontBold = chosen.lfWeight != FW_NORMAL ? 1 : 0;
    settings->fontItalic = chosen.lfItalic ? 1 : 0;
}

void C_MainWindow::InjectFontChooser(FontChooser chooser)
{
    g_chooseFont = chooser ? chooser : C_FontTools::ChooseFont;
}

void C_MainWindow::InjectPort(C_Port* port)
{
    g_port = port;
}

C_MainWindow::C_MainWindow()
    : m_progress(&m_cancelRequested), m_dataValid(0), m_cancelRequested(0), m_displayFont(NULL)
{
    m_title[0] = 0;
    memset(&m_header, 0, sizeof(m_header));
    memset(&m_settings, 0, sizeof(m_settings));
}

C_MainWindow::~C_MainWindow()
{
    Close(0);
}

MessageOwner C_MainWindow::Owner()
{
    MessageOwner owner;
    owner.window = this;
    owner.strings = &m_strings;
    owner.language = m_settings.language;
    return owner;
}

DataFileJob C_MainWindow::FileJob()
{
    DataFileJob job;
    job.owner = Owner();
    job.file = &m_file;
    job.header = &m_header;
    job.records = &m_records;
    job.dataValid = &m_dataValid;
    job.refreshDisplay = Refresh;
    job.context = this;
    return job;
}

DisplayContext C_MainWindow::Display()
{
    DisplayContext display;
    display.window = this;
    display.list = &m_list;
    display.strings = &m_strings;
    display.language = m_settings.language;
    display.header = &m_header;
    display.records = &m_records;
    display.dataValid = m_dataValid.load();
    display.simpleCubicMeter = m_settings.simpleCubicMeter;
    return display;
}

void C_MainWindow::Refresh(void* self)
{
    C_MainWindow& window = *static_cast<C_MainWindow*>(self);
    // The download's worker: one sent message has the user-interface thread rebuild the display while
    // the worker waits, instead of a cross-thread message for every field and row (0.2 to 0.4 s for
    // 99 rows under Wine).
    if (window.m_window && GetWindowThreadProcessId(window.m_window, NULL) != GetCurrentThreadId())
        SendMessageA(window.m_window, kRefreshMessage, 0, 0);
    else
        RefreshDisplay(window.Display());
}

int C_MainWindow::OnInitDialog()
{
    SetIcons(IDI_PROGRAM);
    SetTitle(FormatTitle(kProgramName, (HMODULE)NULL, m_title));
    // The splash stands in front while the window is set up behind it.
    m_aboutBox.SetSplash(1);
    m_aboutBox.Create(m_instance, IDD_ABOUT, 0, m_window);
    m_anchor.Attach(GetItem(IDC_POINT_LIST), C_Anchor::kGrowWidth | C_Anchor::kGrowHeight);
    RestorePlacement(m_window, HKEY_CURRENT_USER, kSettingsKey, kPlacementValue);
    m_firstLink.Setup(GetItem(IDC_LINK_FIRST), kFirstLinkText, kFirstLinkTarget, IDC_LINK_CURSOR);
    m_secondLink.Setup(GetItem(IDC_LINK_SECOND), kSecondLinkText, kSecondLinkTarget, IDC_LINK_CURSOR);

    HWND list = GetItem(IDC_POINT_LIST);
    m_list.Attach(list, m_instance);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    m_list.SmallImages().AddIcon(m_instance, IDI_ROW);
    m_list.LargeImages().AddIcon(m_instance, IDI_ROW);

    m_records.Init();
    m_dataValid.store(0);
    SetDefaultSettings(&m_settings, GetUserDefaultLangID());
    LoadSettings(&m_settings);

    m_displayFont = NULL;
    m_menu.Attach(m_window, 3, m_instance); // "Configuration"
    ApplyDisplayFont();
    ApplyLanguage(m_settings.language);
    Refresh(this);
    return 1;
}

int C_MainWindow::OnClosing(INT_PTR)
{
    // A splash still shown goes with the window, and its brush with it.
    m_aboutBox.Close(0);
    if (m_displayFont)
        DeleteObject(m_displayFont);
    m_displayFont = NULL;
    ClearRecords(m_records);
    SavePlacement(m_window, HKEY_CURRENT_USER, kSettingsKey, kPlacementValue);
    SaveSettings(&m_settings);
    return 1;
}

DWORD C_MainWindow::Toggle(DWORD* option)
{
    *option = *option == 1 ? 0 : 1;
    return *option;
}

int C_MainWindow::OnCommand(WORD id, WPARAM wparam, LPARAM lparam)
{
    switch (id)
    {
    case IDCANCEL:
        // The window is active behind the splash: Esc then means the splash, not the program.
        if (m_aboutBox.Handle())
        {
            m_aboutBox.Close(0);
            return 1;
        }
        Close(0);
        return 1;
    case IDM_EXIT:
        Close(0);
        return 1;
    case IDM_INFO:
        ShowInfo();
        return 1;
    case IDM_SYNCHRONIZATION:
        Synchronize();
        return 1;
    case IDM_RESET:
        Reset();
        return 1;
    case IDM_SAVE:
    {
        DataFileJob job = FileJob();
        if (SaveDataFile(job))
            m_unsaved = 0;
        return 1;
    }
    case IDM_EXPORT:
        ExportCsvFile(FileJob(), Display());
        return 1;
    case IDM_OPEN:
    {
        DataFileJob job = FileJob();
        OpenDataFile(job);
        m_unsaved = 0;
        return 1;
    }
    case IDM_CLOSE:
        m_unsaved = 0;
        m_dataValid.store(0);
        ClearRecords(m_records);
        Refresh(this);
        return 1;
    case IDM_STANDARD_FONT:
        // The item is checked while the standard font is shown.
        m_menu.CheckItem(IDM_STANDARD_FONT, 1, Toggle(&m_settings.useFont) == 0 ? 1 : 0);
        ApplyDisplayFont();
        return 1;
    case IDM_SELECT_FONT:
        ChooseDisplayFont();
        return 1;
    case IDM_SIMPLE_CUBIC_METER:
        m_menu.CheckItem(IDM_SIMPLE_CUBIC_METER, 1, Toggle(&m_settings.simpleCubicMeter) == 1 ? 1 : 0);
        Refresh(this);
        return 1;
    case IDM_BAUD_1200:
        // The port reads the option when it opens.
        m_menu.CheckItem(IDM_BAUD_1200, 1, Toggle(&m_settings.baud1200) == 1 ? 1 : 0);
        return 1;
    case IDM_ENGLISH:
        ApplyLanguage(1033);
        return 1;
    case IDM_GERMAN:
        ApplyLanguage(1031);
        return 1;
    default:
        break;
    }
    if (unsigned port = PortNumberOfItem(id))
    {
        // Only the setting changes; the port is opened by the commands that use it. "com4096" fits.
        SetPortChecks(id);
        wsprintfA(m_settings.port, "com%u", port);
        return 1;
    }
    return C_Dialog::OnCommand(id, wparam, lparam);
}

void C_MainWindow::ShowInfo()
{
    // One object serves both showings: a splash still shown goes first.
    m_aboutBox.Close(0);
    m_aboutBox.SetSplash(0);
    m_aboutBox.DoModal(m_instance, IDD_ABOUT, 0, m_window);
}

void C_MainWindow::FillCardJob(CardJob& job)
{
    job.owner = Owner();
    job.portName = m_settings.port;
    job.portNameFieldSize = sizeof(m_settings.port);
    job.baudOption = m_settings.baud1200;
    job.records = &m_records;
    job.dataValid = &m_dataValid;
    job.refreshDisplay = Refresh;
    job.context = this;
    job.port = g_port;
}

void C_MainWindow::Synchronize()
{
    FillCardJob(m_downloadJob);
    m_downloadJob.header = &m_header;
    m_downloadJob.cancelRequested = &m_cancelRequested;
    m_downloadJob.progress = &m_progress.Closer();
    // The dialog's modal loop serves the worker's sent messages (display, message boxes) and ends
    // when the worker has ended.
    if (StartDownload(m_downloadThread, m_downloadJob))
    {
        m_progress.DoModal(m_instance, IDD_PROGRESS, 0, m_window);
        m_unsaved = m_dataValid.load() != 0;
    }
}

void C_MainWindow::Reset()
{
    // Downloaded values that no file holds yet would be lost for good with the card's copy.
    if (m_unsaved && m_dataValid.load())
    {
        const int answer =
            ShowStringMessage(Owner(), MB_YESNOCANCEL | MB_ICONWARNING, kStringSaveBeforeErase);
        DataFileJob file = FileJob();
        if (answer != IDNO && (answer != IDYES || !SaveDataFile(file)))
            return;
        m_unsaved = 0;
    }
    EraseJob job;
    FillCardJob(job);
    EraseCard(job);
}

void C_MainWindow::SetPortChecks(UINT item)
{
    // The items above com8 are made with their marks at each opening of the menu.
    HMENU ports = GetSubMenu(GetMenu(m_window), 2);
    for (unsigned number = 1; number <= 8; number++)
    {
        UINT port = PortItemOfNumber(number);
        CheckMenuItem(ports, port, MF_BYCOMMAND | (port == item ? MF_CHECKED : MF_UNCHECKED));
    }
}

void C_MainWindow::ApplyLanguage(WORD language)
{
    m_settings.language = language;
    Refresh(this);
    for (int field = 0; field < kHeaderFieldCount; field++)
        SetItemText(HeaderLabelControl(field),
                    m_strings.LoadLocalizedString(HeaderLabelString(field), NULL, language));
    for (const auto& box : kBoxes)
        SetItemText(box.control, m_strings.LoadLocalizedString(box.string, NULL, language));
    m_menu.LoadMenuForLanguage(IDM_MAIN, language);
    // A Port setting that names no item of the menu leaves the marks as they are.
    if (UINT port = PortItemOfName(m_settings.port))
        SetPortChecks(port);
    m_menu.CheckItem(IDM_STANDARD_FONT, 1, m_settings.useFont != 1 ? 1 : 0);
    m_menu.CheckItem(IDM_SIMPLE_CUBIC_METER, 1, m_settings.simpleCubicMeter == 1 ? 1 : 0);
    m_menu.CheckItem(IDM_BAUD_1200, 1, m_settings.baud1200 == 1 ? 1 : 0);
    HMENU configuration = GetSubMenu(GetMenu(m_window), 3);
    int german = language == 1031;
    CheckMenuItem(configuration, IDM_ENGLISH, MF_BYCOMMAND | (german ? MF_UNCHECKED : MF_CHECKED));
    CheckMenuItem(configuration, IDM_GERMAN, MF_BYCOMMAND | (german ? MF_CHECKED : MF_UNCHECKED));
}

void C_MainWindow::FillPorts(HMENU menu)
{
    // Read afresh at every opening: an adapter plugged in since shows up.
    SerialPortList ports;
    ReadSerialPorts(&ports);
    ReadFriendlyNames(&ports);
    FillPortMenu(menu, ports, m_settings.port, m_strings, m_settings.language);
}

int C_MainWindow::ApplyDisplayFont()
{
    int existed = m_displayFont != NULL;
    if (m_displayFont)
        DeleteObject(m_displayFont);
    m_displayFont = NULL;
    if (m_settings.useFont == 1)
        m_displayFont =
            CreateFontA(m_settings.fontSize, 0, 0, 0, FontWeight(m_settings.fontBold), m_settings.fontItalic,
                        0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, m_settings.fontName);
    else if (!existed)
        return 0; // the controls keep the dialog's font
    // A null font (switched off, or not created) gives the controls the system's font.
    for (int control : kFontControls)
        SendMessageA(GetItem(control), WM_SETFONT, reinterpret_cast<WPARAM>(m_displayFont), 1);
    return 1;
}

void C_MainWindow::ChooseDisplayFont()
{
    LOGFONTA font = DisplayFontRequest(m_settings);
    if (!g_chooseFont(&font, m_window))
        return;
    TakeChosenFont(font, &m_settings);
    m_menu.CheckItem(IDM_STANDARD_FONT, 1, 0);
    ApplyDisplayFont();
}

INT_PTR C_MainWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message)
    {
    case kRefreshMessage:
        RefreshDisplay(Display());
        return 1;
    case WM_SIZE:
        m_anchor.OnSize(LOWORD(lparam), HIWORD(lparam));
        return 1;
    case WM_INITMENUPOPUP:
        // Export has something to write exactly when Save has.
        EnableMenuItem(GetMenu(m_window), IDM_EXPORT,
                       MF_BYCOMMAND | (m_dataValid.load() ? MF_ENABLED : MF_GRAYED));
        if (reinterpret_cast<HMENU>(wparam) != GetSubMenu(GetMenu(m_window), 2))
            return C_Dialog::OnMessage(message, wparam, lparam);
        FillPorts(reinterpret_cast<HMENU>(wparam));
        return 1;
    case WM_WINDOWPOSCHANGING:
    {
        WINDOWPOS* position = reinterpret_cast<WINDOWPOS*>(lparam);
        if (!(position->flags & SWP_NOSIZE))
        {
            if (position->cx < kMinimumWidth)
                position->cx = kMinimumWidth;
            if (position->cy < kMinimumHeight)
                position->cy = kMinimumHeight;
        }
        return 1;
    }
    default:
        return C_Dialog::OnMessage(message, wparam, lparam);
    }
}
