#include "support/MessageBoxes.h"

#include <algorithm>

namespace
{

std::string WindowText(HWND window)
{
    char text[2048];
    int length = GetWindowTextA(window, text, sizeof(text));
    return std::string(text, length > 0 ? length : 0);
}

struct BoxParts
{
    HWND icon;
    HWND text;
};

BOOL CALLBACK VisitChild(HWND child, LPARAM data)
{
    BoxParts* parts = reinterpret_cast<BoxParts*>(data);
    char className[32];
    GetClassNameA(child, className, sizeof(className));
    if (lstrcmpiA(className, "Static") != 0)
        return TRUE;
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        parts->icon = child;
    else if (!parts->text && GetWindowTextLengthA(child) > 0)
        parts->text = child;
    return TRUE;
}

UINT IconType(HWND icon)
{
    if (!icon)
        return 0;
    HICON shown = reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0));
    struct
    {
        LPCSTR id;
        UINT type;
    } const kinds[] = {{IDI_EXCLAMATION, MB_ICONEXCLAMATION},
                       {IDI_QUESTION, MB_ICONQUESTION},
                       {IDI_ASTERISK, MB_ICONINFORMATION},
                       {IDI_HAND, MB_ICONHAND}};
    for (const auto& kind : kinds)
        if (shown && shown == LoadIconA(NULL, kind.id))
            return kind.type;
    return 0;
}

} // namespace

SeenMessageBox ReadMessageBox(HWND box)
{
    SeenMessageBox seen;
    seen.owner = GetWindow(box, GW_OWNER);
    seen.thread = GetWindowThreadProcessId(box, NULL);
    seen.caption = WindowText(box);
    BoxParts parts = {NULL, NULL};
    EnumChildWindows(box, VisitChild, reinterpret_cast<LPARAM>(&parts));
    seen.text = parts.text ? WindowText(parts.text) : std::string();
    seen.type = IconType(parts.icon);
    if (GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO))
        seen.type |= MB_YESNO;
    return seen;
}

C_MessageBoxAnswerer::C_MessageBoxAnswerer(const char* caption, int button)
    : m_caption(caption), m_button(button), m_stop(0)
{
    m_watcher.Start(Watch, this, 0);
}

C_MessageBoxAnswerer::~C_MessageBoxAnswerer()
{
    InterlockedExchange(&m_stop, 1);
    while (m_watcher.IsRunning())
        Sleep(5);
}

void C_MessageBoxAnswerer::SetButton(int button)
{
    InterlockedExchange(&m_button, button);
}

int C_MessageBoxAnswerer::WaitFor(int count, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    for (;;)
    {
        int seen = (int)Seen().size();
        if (seen >= count || GetTickCount() - start >= milliseconds)
            return seen;
        // Keep this thread's own windows alive: the box may belong to it.
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
}

std::vector<SeenMessageBox> C_MessageBoxAnswerer::Seen()
{
    C_Lock lock(m_lock);
    return m_seen;
}

DWORD C_MessageBoxAnswerer::Watch(void* self, DWORD)
{
    C_MessageBoxAnswerer* answerer = static_cast<C_MessageBoxAnswerer*>(self);
    while (!answerer->m_stop)
    {
        {
            C_Lock lock(answerer->m_lock);
            std::vector<HWND>& answered = answerer->m_answered;
            answered.erase(
                std::remove_if(answered.begin(), answered.end(), [](HWND box) { return !IsWindow(box); }),
                answered.end());
        }
        EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(answerer));
        Sleep(20);
    }
    return 0;
}

BOOL CALLBACK C_MessageBoxAnswerer::VisitWindow(HWND window, LPARAM self)
{
    C_MessageBoxAnswerer* answerer = reinterpret_cast<C_MessageBoxAnswerer*>(self);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window))
        return TRUE;
    char className[16];
    GetClassNameA(window, className, sizeof(className));
    if (lstrcmpA(className, "#32770") != 0 || WindowText(window) != answerer->m_caption)
        return TRUE;
    answerer->Answer(window);
    return TRUE;
}

void C_MessageBoxAnswerer::Answer(HWND box)
{
    {
        C_Lock lock(m_lock);
        if (std::find(m_answered.begin(), m_answered.end(), box) != m_answered.end())
            return; // pressed already, still closing
        // A message box has a text static; a dialog of the program with the same caption has not.
        SeenMessageBox seen = ReadMessageBox(box);
        if (seen.text.empty())
            return;
        m_answered.push_back(box);
        m_seen.push_back(seen);
    }
    int button = (int)m_button;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}
