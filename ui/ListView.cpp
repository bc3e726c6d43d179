#include "ui/ListView.h"

#include <string.h>

C_ListView::C_ListView()
    : m_list(NULL), m_module(NULL), m_redrawSuspension(0), m_subclass(C_SubClassing::kListView)
{
}

C_ListView::~C_ListView()
{
    Release();
}

int C_ListView::Attach(HWND list, HINSTANCE module)
{
    Release();
    // Another wrapper owns this list: its image lists and theme stay as they are.
    if (C_SubClassing::IsTakenOver(list, C_SubClassing::kListView))
        return 0;
    m_list = list;
    m_module = module;
    DWORD commonControlsVersion = GetCommonControlsVersion();
    // The wrapper owns its image lists: without this style the control would destroy them with
    // itself, and the wrapper's own clean-up would destroy them a second time.
    SetWindowLongA(list, GWL_STYLE, GetWindowLongA(list, GWL_STYLE) | LVS_SHAREIMAGELISTS);
    m_smallImages.Create(C_ImageList::kSmallIcons, 0, 0, 10, 10, commonControlsVersion);
    m_largeImages.Create(C_ImageList::kLargeIcons, 0, 0, 10, 10, commonControlsVersion);
    ResetSortIndicator();
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(m_largeImages.Handle()));
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(m_smallImages.Handle()));
    m_theme.Open(NULL, NULL);
    m_theme.SetWindowTheme(list, L"explorer", NULL);
    return m_subclass.Attach(list, ListCallback, this);
}

void C_ListView::Release()
{
    m_subclass.Detach();
    if (m_list && IsWindow(m_list))
    {
        SendMessageA(m_list, LVM_SETIMAGELIST, LVSIL_NORMAL, 0);
        SendMessageA(m_list, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
    }
    m_theme.Close();
    m_smallImages.Destroy();
    m_largeImages.Destroy();
    m_list = NULL;
    m_redrawSuspension = 0;
}

int C_ListView::InsertColumn(const char* text, int position, int width, int alignment, int sizeOption)
{
    LVCOLUMNA column;
    memset(&column, 0, sizeof(column));
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = alignment;
    column.cx = width;
    column.pszText = const_cast<char*>(text ? text : "");
    column.iSubItem = position;
    int index = (int)SendMessageA(m_list, LVM_INSERTCOLUMNA, position, reinterpret_cast<LPARAM>(&column));
    if (index >= 0 && sizeOption == kAutoSize)
        SetColumnWidth(index, LVSCW_AUTOSIZE);
    else if (index >= 0 && sizeOption == kAutoSizeUseHeader)
        SetColumnWidth(index, LVSCW_AUTOSIZE_USEHEADER);
    return index;
}

void C_ListView::DeleteAllColumns()
{
    while (SendMessageA(m_list, LVM_DELETECOLUMN, 0, 0))
    {
    }
}

int C_ListView::SetColumnWidth(int column, int width)
{
    return SendMessageA(m_list, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width & 0xFFFF, 0)) ? 1 : 0;
}

int C_ListView::InsertItem(const char* text, int image, LPARAM data, int position)
{
    int count = (int)SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0);
    LVITEMA item;
    memset(&item, 0, sizeof(item));
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    if (image != -2)
    {
        item.mask |= LVIF_IMAGE;
        item.iImage = image;
    }
    item.iItem = position < 0 || position >= count ? count : position;
    item.pszText = const_cast<char*>(text ? text : "");
    item.lParam = data;
    return (int)SendMessageA(m_list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

int C_ListView::SetCellText(const char* text, int column, int row)
{
    LVITEMA item;
    memset(&item, 0, sizeof(item));
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text ? text : "");
    return SendMessageA(m_list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)) ? 1 : 0;
}

int C_ListView::DeleteAllItems(int keepSort)
{
    int deleted = SendMessageA(m_list, LVM_DELETEALLITEMS, 0, 0) ? 1 : 0;
    if (!keepSort)
        ResetSortIndicator();
    return deleted;
}

void C_ListView::SetRedraw(int on)
{
    if (!on)
    {
        if (m_redrawSuspension++ == 0)
            SendMessageA(m_list, WM_SETREDRAW, FALSE, 0);
        return;
    }
    if (m_redrawSuspension == 0)
        return;
    if (--m_redrawSuspension == 0)
    {
        SendMessageA(m_list, WM_SETREDRAW, TRUE, 0);
        UpdateWindow(m_list);
    }
}

int C_ListView::SelectItem(int row, int on)
{
    LVITEMA item;
    memset(&item, 0, sizeof(item));
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = on ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    return SendMessageA(m_list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item)) ? 1 : 0;
}

int C_ListView::SelectAll(int on)
{
    // The control refuses the focus on every row at once, and then selects nothing either: select
    // all rows without it. Clearing takes both states away.
    LVITEMA item;
    memset(&item, 0, sizeof(item));
    item.stateMask = on ? LVIS_SELECTED : LVIS_SELECTED | LVIS_FOCUSED;
    item.state = on ? LVIS_SELECTED : 0;
    return SendMessageA(m_list, LVM_SETITEMSTATE, (WPARAM)-1, reinterpret_cast<LPARAM>(&item)) ? 1 : 0;
}

int C_ListView::GetSelectedRow(int start, int* row, LPARAM* data, char* text, int textSize)
{
    int found = (int)SendMessageA(m_list, LVM_GETNEXTITEM, start, MAKELPARAM(LVNI_SELECTED, 0));
    if (found < 0)
        return 0;
    if (row)
        *row = found;
    if (data || (text && textSize > 0))
    {
        LVITEMA item;
        memset(&item, 0, sizeof(item));
        item.iItem = found;
        if (data)
            item.mask |= LVIF_PARAM;
        if (text && textSize > 0)
        {
            item.mask |= LVIF_TEXT;
            item.pszText = text;
            item.cchTextMax = textSize;
            text[0] = 0;
        }
        if (!SendMessageA(m_list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
            return 0;
        if (text && textSize > 0)
        {
            // The control may answer with a pointer to its own text, and a text cut to the room
            // comes back without its terminator.
            if (item.pszText != text && item.pszText)
                lstrcpynA(text, item.pszText, textSize);
            text[textSize - 1] = 0;
        }
        if (data)
            *data = item.lParam;
    }
    return 1;
}

void C_ListView::ResetSortIndicator()
{
    // A list that sorts itself sorts by its first column; any other has no sort column to shade.
    int sorted = GetWindowLongA(m_list, GWL_STYLE) & (LVS_SORTASCENDING | LVS_SORTDESCENDING);
    SendMessageA(m_list, LVM_SETSELECTEDCOLUMN, sorted ? 0 : -1, 0);
}

int C_ListView::ListCallback(HWND, UINT message, WPARAM wparam, LPARAM, LRESULT*, void* self)
{
    if (message != WM_KEYDOWN || wparam != 'A')
        return 0;
    if (GetKeyState(VK_CONTROL) < 0)
        static_cast<C_ListView*>(self)->SelectAll(1);
    return 1;
}
