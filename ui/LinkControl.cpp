#include "ui/LinkControl.h"

#include <stdio.h>
#include <string.h>

#include "sys/Target.h"
#include "ui/FontTools.h"
#include "sys/RegKey.h"

namespace
{
const char kBrowserSettings[] = "Software\\Microsoft\\Internet Explorer\\Settings";
const char kBrowserMain[] = "Software\\Microsoft\\Internet Explorer\\Main";
const COLORREF kDefaultLinkColour = 0xFF0000; // blue
const COLORREF kFallbackHoverColour = 0xFF00FF;

C_LinkControl::ShellExecuteProc g_shellExecute = ShellExecuteExA;
} // namespace

int ParseBrowserColour(const char* text, COLORREF* colour)
{
    unsigned red, green, blue;
    if (!text || sscanf(text, "%u,%u,%u", &red, &green, &blue) != 3)
        return 0;
    *colour = RGB(red & 0xFF, green & 0xFF, blue & 0xFF);
    return 1;
}

void C_LinkControl::InjectShellExecute(ShellExecuteProc shellExecute)
{
    g_shellExecute = shellExecute ? shellExecute : ShellExecuteExA;
}

C_LinkControl::C_LinkControl()
    : m_subclass(C_SubClassing::kLink), m_underlinedFont(NULL), m_plainFont(NULL), m_format(DT_SINGLELINE),
      m_state(0), m_normalColour(kDefaultLinkColour), m_hoverColour(kFallbackHoverColour),
      m_disabledColour(0), m_cursorId(0), m_underline(kUnderlineAlways), m_window(NULL)
{
    m_target[0] = 0;
    m_textSize.cx = 0;
    m_textSize.cy = 0;
}

C_LinkControl::~C_LinkControl()
{
    Release();
}

void C_LinkControl::Release()
{
    m_subclass.Detach();
    DeleteFonts();
}

void C_LinkControl::DeleteFonts()
{
    if (m_underlinedFont)
        DeleteObject(m_underlinedFont);
    if (m_plainFont)
        DeleteObject(m_plainFont);
    m_underlinedFont = NULL;
    m_plainFont = NULL;
}

void C_LinkControl::Setup(HWND window, const char* text, const char* target, WORD cursorId)
{
    Release();
    // A window that another link has taken over is left unchanged (its text, style and fonts).
    if (C_SubClassing::IsTakenOver(window, C_SubClassing::kLink))
    {
        m_window = NULL;
        return;
    }
    m_window = window;
    m_state = kUseHoverColour;
    LONG style = GetWindowLongA(window, GWL_STYLE);
    if (!(style & WS_TABSTOP))
        m_state |= kNoFocusRect;
    SetText(text);
    if (!target || strlen(target) >= sizeof(m_target))
        m_target[0] = 0;
    else
        strcpy(m_target, target);
    m_cursorId = cursorId;
    SetWindowLongA(window, GWL_STYLE, style | SS_NOTIFY);
    SetWindowTextA(window, "");
    if (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TRANSPARENT)
        m_state |= kTransparent;

    m_normalColour = kDefaultLinkColour;
    m_disabledColour = GetSysColor(COLOR_GRAYTEXT);
    m_hoverColour = GetSysColorBrush(COLOR_HOTLIGHT) ? GetSysColor(COLOR_HOTLIGHT) : kFallbackHoverColour;
    ReadBrowserSettings();

    CreateFonts();
    m_format = DT_SINGLELINE;
    if ((style & SS_TYPEMASK) == SS_CENTER)
        m_format |= DT_CENTER;
    else if ((style & SS_TYPEMASK) == SS_RIGHT)
        m_format |= DT_RIGHT;
    if (style & SS_CENTERIMAGE)
        m_format |= DT_VCENTER;
    SetText(text);
    m_subclass.Attach(window, MessageCallback, this);
    MeasureText();
    Invalidate(0);
}

void C_LinkControl::ReadBrowserSettings()
{
    char value[260];
    C_RegKey key;
    if (key.OpenRead(HKEY_CURRENT_USER, kBrowserSettings))
    {
        if (key.ReadString("Use Anchor Hover Color", value, sizeof(value)))
        {
            if (lstrcmpiA(value, "yes") == 0)
                m_state |= kUseHoverColour;
            else
                m_state &= ~(DWORD)kUseHoverColour;
        }
        if (key.ReadString("Anchor Color", value, sizeof(value)))
            ParseBrowserColour(value, &m_normalColour);
        if (key.ReadString("Anchor Color Hover", value, sizeof(value)))
            ParseBrowserColour(value, &m_hoverColour);
        key.CloseKey();
    }
    m_underline = kUnderlineAlways;
    if (key.OpenRead(HKEY_CURRENT_USER, kBrowserMain) &&
        key.ReadString("Anchor Underline", value, sizeof(value)))
    {
        if (lstrcmpiA(value, "no") == 0)
            m_underline = kUnderlineNever;
        else if (lstrcmpiA(value, "hover") == 0)
            m_underline = kUnderlineWhileHovering;
    }
}

void C_LinkControl::CreateFonts()
{
    const char* face = C_FontTools::FontFamilyExists("Segoe UI", DEFAULT_CHARSET)  ? "Segoe UI"
                       : C_FontTools::FontFamilyExists("Verdana", DEFAULT_CHARSET) ? "Verdana"
                                                                                   : "Arial";
    HDC context = GetDC(m_window);
    if (!context)
        return;
    TEXTMETRICA metrics;
    if (!GetTextMetricsA(context, &metrics))
        memset(&metrics, 0, sizeof(metrics));
    RECT client;
    GetClientRect(m_window, &client);
    // Shrink the font until the text fits the control, but never below 4 pixels.
    int height = metrics.tmHeight;
    HFONT font = NULL;
    for (;;)
    {
        font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, TRUE, FALSE, metrics.tmCharSet, 0, 0, 0,
                           metrics.tmPitchAndFamily, face);
        if (!font)
            break;
        SIZE size;
        HGDIOBJ previous = SelectObject(context, font);
        BOOL measured = GetTextExtentPoint32A(context, m_text.c_str(), m_text.Length(), &size);
        SelectObject(context, previous);
        if (!measured || (size.cx <= client.right && size.cy < client.bottom))
            break;
        if (height - 1 <= 3)
            break;
        height--;
        DeleteObject(font);
    }
    m_underlinedFont = font;
    // The plain font matches the underlined one, so that hovering never changes the text's size.
    m_plainFont = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, metrics.tmCharSet, 0, 0, 0,
                              metrics.tmPitchAndFamily, face);
    ReleaseDC(m_window, context);
}

void C_LinkControl::SetText(const char* text)
{
    m_text.Assign(text);
}

void C_LinkControl::MeasureText()
{
    m_textSize.cx = 0;
    m_textSize.cy = 0;
    HDC context = m_underlinedFont ? GetDC(m_window) : NULL;
    if (!context)
        return;
    HGDIOBJ previous = SelectObject(context, m_underlinedFont);
    if (!GetTextExtentPoint32A(context, m_text.c_str(), m_text.Length(), &m_textSize))
    {
        m_textSize.cx = 0;
        m_textSize.cy = 0;
    }
    SelectObject(context, previous);
    ReleaseDC(m_window, context);
}

int C_LinkControl::IsOverText()
{
    if (m_textSize.cy == 0)
        return 1;
    POINT cursor;
    if (!GetCursorPos(&cursor) || !ScreenToClient(m_window, &cursor))
        return 1;
    RECT client;
    GetClientRect(m_window, &client);
    if (!PtInRect(&client, cursor))
        return 0;
    int width = m_textSize.cx;
    if (m_format & DT_CENTER)
    {
        int margin = (client.right - width) / 2;
        return margin < cursor.x && cursor.x < client.right - margin;
    }
    if (m_format & DT_RIGHT)
        return cursor.x > client.right - width;
    return cursor.x < width;
}

void C_LinkControl::Activate(int code)
{
    if (code == kLeftDown || !m_target[0])
        return;
    SHELLEXECUTEINFOA execute;
    memset(&execute, 0, sizeof(execute));
    execute.cbSize = Target::kShellExecuteInfoSize;
    execute.lpFile = m_target;
    execute.nShow = SW_SHOW;
    g_shellExecute(&execute);
}

void C_LinkControl::Invalidate(int parent)
{
    HWND owner = GetParent(m_window);
    if (parent && (m_state & kTransparent) && owner)
    {
        RECT area;
        GetClientRect(m_window, &area);
        MapWindowPoints(m_window, owner, reinterpret_cast<POINT*>(&area), 2);
        InvalidateRect(owner, &area, TRUE);
        return;
    }
    InvalidateRect(m_window, NULL, FALSE);
}

void C_LinkControl::SetLinkCursor()
{
    HCURSOR cursor = NULL;
    if (m_cursorId)
        cursor = LoadCursorA(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(m_window, GWLP_HINSTANCE)),
                             MAKEINTRESOURCEA(m_cursorId));
    // A cursor that cannot be loaded must not leave the mouse without one.
    SetCursor(cursor ? cursor : LoadCursorA(NULL, IDC_ARROW));
}

void C_LinkControl::Paint(HWND window)
{
    PAINTSTRUCT paint;
    HDC context = BeginPaint(window, &paint);
    if (!context)
        return;
    int saved = SaveDC(context);
    RECT client;
    GetClientRect(window, &client);
    int hovering = (m_state & kHovering) != 0;
    HFONT font = m_underline == kUnderlineAlways || (m_underline == kUnderlineWhileHovering && hovering)
                     ? m_underlinedFont
                     : m_plainFont;
    if (font)
        SelectObject(context, font);
    if (!(m_state & kTransparent))
    {
        HBRUSH brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(window), WM_CTLCOLORSTATIC,
                                                             reinterpret_cast<WPARAM>(context),
                                                             reinterpret_cast<LPARAM>(window)));
        FillRect(context, &client, brush ? brush : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    SetBkMode(context, TRANSPARENT);
    COLORREF colour = m_normalColour;
    if (m_state & kDisabled)
        colour = m_disabledColour;
    else if (hovering && (m_state & kUseHoverColour))
        colour = m_hoverColour;
    SetTextColor(context, colour);
    DrawTextA(context, m_text.c_str(), -1, &client, m_format);
    if (!(m_state & kDisabled) && (m_state & kFocused) && !(m_state & kNoFocusRect))
    {
        RECT focus;
        focus.top = (m_format & DT_VCENTER) ? (client.bottom - m_textSize.cy) / 2 : 0;
        focus.bottom = focus.top + m_textSize.cy;
        if (m_format & DT_CENTER)
        {
            int margin = (client.right - m_textSize.cx) / 2;
            focus.left = margin;
            focus.right = client.right - margin;
        }
        else if (m_format & DT_RIGHT)
        {
            focus.left = client.right - m_textSize.cx;
            focus.right = client.right;
        }
        else
        {
            focus.left = 0;
            focus.right = m_textSize.cx;
        }
        DrawFocusRect(context, &focus);
    }
    RestoreDC(context, saved);
    EndPaint(window, &paint);
}

int C_LinkControl::MessageCallback(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result,
                                   void* control)
{
    C_LinkControl* self = static_cast<C_LinkControl*>(control);
    switch (message)
    {
    case WM_SETFOCUS:
        self->m_state |= kFocused;
        self->Invalidate(0);
        return 1;
    case WM_KILLFOCUS:
        self->m_state &= ~(DWORD)kFocused;
        self->Invalidate(1);
        return 1;
    case WM_ENABLE:
        if (wparam)
        {
            self->m_state &= ~(DWORD)kDisabled;
            if (!(self->m_state & kHovering) && self->IsOverText())
            {
                self->m_state |= kHovering;
                // Tracked, so that the hover also ends when the mouse leaves without moving in here.
                self->m_tracker.StartTracking(window);
                self->SetLinkCursor();
            }
        }
        else
            self->m_state |= kDisabled;
        self->Invalidate(0);
        return 1;
    case WM_SETTEXT:
        self->SetText(reinterpret_cast<const char*>(lparam));
        self->MeasureText();
        self->Invalidate(1);
        *result = TRUE;
        return 1;
    case WM_GETTEXT:
        *result =
            CopyWholeCharacters(reinterpret_cast<char*>(lparam), (int)wparam, self->m_text.c_str(), CP_ACP);
        return 1;
    case WM_GETTEXTLENGTH:
        *result = self->m_text.Length();
        return 1;
    case WM_PAINT:
        self->Paint(window);
        return 1;
    case WM_CANCELMODE:
    case WM_MOUSELEAVE:
        self->m_state &= ~(DWORD)kHovering;
        self->Invalidate(0);
        return 1;
    case WM_SETCURSOR:
        if (self->m_state & kHovering)
            self->SetLinkCursor();
        else
            SetCursor(LoadCursorA(NULL, IDC_ARROW));
        return 1;
    case WM_KEYUP:
        if (wparam == VK_RETURN)
            self->Activate(kEnterUp);
        else if (wparam == VK_SPACE)
            self->Activate(kSpaceUp);
        return 1;
    case WM_MOUSEMOVE:
    {
        int hovering = (self->m_state & kHovering) != 0;
        int over = self->IsOverText();
        if (!hovering && over)
        {
            self->m_state |= kHovering;
            self->m_tracker.StartTracking(window);
            self->Invalidate(0);
            self->SetLinkCursor();
        }
        else if (hovering && !over)
        {
            self->m_state &= ~(DWORD)kHovering;
            self->Invalidate(0);
            SetCursor(LoadCursorA(NULL, IDC_ARROW));
        }
        return 1;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (self->m_state & kHovering)
            self->Activate(kLeftDown);
        return 1;
    case WM_LBUTTONUP:
        if (self->m_state & kHovering)
            self->Activate(kLeftUp);
        return 1;
    default:
        return 0;
    }
}
