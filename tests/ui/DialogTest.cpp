#include <gtest/gtest.h>

#include <malloc.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include "support/Pump.h"
#include "ui/Dialog.h"

namespace
{

const WORD kTestDialog = 9001;
const WORD kTestDialogEx = 9002;
const WORD kNoFontDialog = 9003;

HINSTANCE Self()
{
    return GetModuleHandleA(NULL);
}

// Writes what reaches each operation into a log that outlives the object.
class Recorder : public C_Dialog
{
public:
    explicit Recorder(std::vector<std::string>* log) : m_log(log) {}
    ~Recorder() override { Close(0); }

    int initResult = 1;
    int closingAnswer = 1;
    bool messageBeforeInit = false;
    bool shown = false;
    std::function<void(Recorder*)> onInit;
    std::function<INT_PTR(Recorder*, UINT, WPARAM, LPARAM)> onMessage;

    int OnInitDialog() override
    {
        m_log->push_back("init");
        m_initialised = true;
        if (onInit)
            onInit(this);
        return initResult;
    }
    int OnClosing(INT_PTR result) override
    {
        m_log->push_back("closing " + std::to_string(result));
        return closingAnswer;
    }
    int OnCommand(WORD id, WPARAM wparam, LPARAM lparam) override
    {
        if (HIWORD(wparam) == BN_CLICKED) // the edit control's focus notifications are not of interest
            m_log->push_back("command " + std::to_string(id));
        return C_Dialog::OnCommand(id, wparam, lparam);
    }
    int OnClose() override
    {
        m_log->push_back("close");
        return C_Dialog::OnClose();
    }
    int OnDestroy() override
    {
        m_log->push_back("destroy");
        return C_Dialog::OnDestroy();
    }
    INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override
    {
        if (!m_initialised)
            messageBeforeInit = true;
        if (message == WM_SHOWWINDOW && wparam)
            shown = true;
        if (message == WM_APP + 1)
            m_log->push_back("message " + std::to_string(wparam));
        if (onMessage)
            return onMessage(this, message, wparam, lparam);
        return C_Dialog::OnMessage(message, wparam, lparam);
    }

private:
    std::vector<std::string>* m_log;
    bool m_initialised = false;
};

typedef std::vector<std::string> Log;

// Bytes in use on the runtime's heap, where the template copies live.
size_t HeapInUse()
{
    _HEAPINFO info;
    memset(&info, 0, sizeof(info));
    size_t used = 0;
    while (_heapwalk(&info) == _HEAPOK)
        if (info._useflag == _USEDENTRY)
            used += info._size;
    return used;
}

} // namespace

TEST(C_Dialog, RoutesEachKindOfMessageToItsOperation)
{
    Log log;
    Recorder dialog(&log);
    HWND window = dialog.Create(Self(), kTestDialog, 0, NULL);
    ASSERT_TRUE(window != NULL);
    EXPECT_EQ(window, dialog.Handle());
    EXPECT_EQ((DWORD)C_Dialog::kModeless, dialog.Flags());
    EXPECT_FALSE(dialog.messageBeforeInit) << "messages before WM_INITDIALOG reach no operation";

    SendMessageA(window, WM_COMMAND, MAKEWPARAM(1234, BN_CLICKED), 0);
    SendMessageA(window, WM_APP + 1, 7, 0);
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ((Log{"init", "command 1234", "message 7", "close", "closing 0", "destroy"}), log);
    EXPECT_FALSE(IsWindow(window)) << "a modeless dialog is destroyed by Close";
    EXPECT_EQ(NULL, dialog.Handle());
}

TEST(C_Dialog, InitDialogReturningZeroClosesBeforeItIsShown)
{
    Log log;
    Recorder dialog(&log);
    dialog.initResult = 0;
    EXPECT_EQ(0, dialog.DoModal(Self(), kTestDialog, 0));
    EXPECT_FALSE(dialog.shown);
    EXPECT_EQ((Log{"init", "closing 0", "destroy"}), log);
    EXPECT_EQ(NULL, dialog.Handle());
}

TEST(C_Dialog, InitDialogReturningTwoAnswersZeroAndKeepsTheFocusItSet)
{
    HWND plain = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, Self(), NULL);
    Log log;
    Recorder direct(&log);
    direct.initResult = 2;
    EXPECT_EQ(0, C_Dialog::DialogProcedure(plain, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&direct)));
    direct.initResult = 1;
    EXPECT_EQ(1, C_Dialog::DialogProcedure(plain, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&direct)));
    SetWindowLongPtrA(plain, GWLP_USERDATA, 0);
    DestroyWindow(plain);

    // On a real dialog: with 1 the dialog manager focuses the first tab stop, with 2 it leaves the
    // focus where the handler put it.
    for (int result : {1, 2})
    {
        Recorder dialog(&log);
        dialog.initResult = result;
        dialog.onInit = [](Recorder* self) { SetFocus(GetDlgItem(self->Handle(), IDCANCEL)); };
        HWND window = dialog.Create(Self(), kTestDialog, 0, NULL);
        ASSERT_TRUE(window != NULL);
        HWND expected = GetDlgItem(window, result == 1 ? 100 : IDCANCEL);
        EXPECT_EQ(expected, GetFocus()) << "OnInitDialog returned " << result;
        dialog.Close(0);
    }
}

TEST(C_Dialog, AVetoFromOnClosingKeepsTheWindowAndAsksAgainLater)
{
    Log log;
    Recorder dialog(&log);
    HWND window = dialog.Create(Self(), kTestDialog, 0, NULL);
    dialog.closingAnswer = 0;
    dialog.Close(5);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(window, dialog.Handle());
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window));
    dialog.closingAnswer = 1;
    dialog.Close(6);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ((Log{"init", "closing 5", "close", "closing 0", "closing 6", "destroy"}), log);
}

TEST(C_Dialog, CloseWithoutAWindowAsksNothing)
{
    Log log;
    Recorder dialog(&log);
    dialog.Close(1);
    EXPECT_TRUE(log.empty());
}

TEST(C_Dialog, EscapeEndsAModalDialogWithZero)
{
    Log log;
    Recorder dialog(&log);
    dialog.onInit = [](Recorder* self)
    {
        SetTimer(self->Handle(), 1, 5000, NULL); // ends the test if Esc never arrives
        PostMessageA(GetDlgItem(self->Handle(), 100), WM_KEYDOWN, VK_ESCAPE, 0);
    };
    dialog.onMessage = [](Recorder* self, UINT message, WPARAM, LPARAM) -> INT_PTR
    {
        if (message == WM_TIMER)
            self->Close(99);
        return 0;
    };
    EXPECT_EQ(0, dialog.DoModal(Self(), kTestDialog, 0));
    EXPECT_EQ((Log{"init", "command 2", "closing 0", "destroy"}), log);
    EXPECT_EQ(0u, dialog.Flags());
}

TEST(C_Dialog, DoModalReturnsTheCloseResultAndCanRunAgain)
{
    Log log;
    Recorder dialog(&log);
    dialog.onInit = [](Recorder* self) { PostMessageA(self->Handle(), WM_APP + 2, 0, 0); };
    dialog.onMessage = [](Recorder* self, UINT message, WPARAM, LPARAM) -> INT_PTR
    {
        if (message != WM_APP + 2)
            return 0;
        self->Close(42);
        return 1;
    };
    EXPECT_EQ(42, dialog.DoModal(Self(), kTestDialog, 0));
    EXPECT_EQ(42, dialog.DoModal(Self(), kTestDialogEx, 0));
    EXPECT_EQ((Log{"init", "closing 42", "destroy", "init", "closing 42", "destroy"}), log);
}

TEST(C_Dialog, DestroyingTheObjectClosesItsOpenWindow)
{
    Log log;
    Recorder* dialog = new Recorder(&log);
    HWND window = dialog->Create(Self(), kTestDialog, 0, NULL);
    ASSERT_TRUE(IsWindow(window));
    delete dialog;
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ((Log{"init", "closing 0", "destroy"}), log);

    C_Dialog* plain = new C_Dialog;
    window = plain->Create(Self(), kTestDialog, 0, NULL);
    ASSERT_TRUE(IsWindow(window));
    delete plain;
    EXPECT_FALSE(IsWindow(window));
}

TEST(C_Dialog, AMissingTemplateFailsWithThePlatformsValue)
{
    C_Dialog dialog;
    EXPECT_EQ(-1, dialog.DoModal(Self(), 9999, 0));
    EXPECT_EQ(NULL, dialog.Create(Self(), 9999, 0, NULL));
}

TEST(C_Dialog, UsesTheRewrittenTemplateAndFreesTheCopy)
{
    NONCLIENTMETRICSA metrics;
    memset(&metrics, 0, sizeof(metrics));
    metrics.cbSize = 340;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &metrics, 0));

    C_Dialog dialog;
    HWND window = dialog.Create(Self(), kTestDialog, 0, NULL);
    ASSERT_TRUE(window != NULL);
    LOGFONTA font;
    HFONT used = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    ASSERT_TRUE(GetObjectA(used, sizeof(font), &font));
    EXPECT_STREQ(metrics.lfMessageFont.lfFaceName, font.lfFaceName);
    dialog.Close(0);

    // A template without a font is made from the resource itself.
    window = dialog.Create(Self(), kNoFontDialog, 0, NULL);
    EXPECT_TRUE(window != NULL);
    dialog.Close(0);

    size_t before = HeapInUse();
    for (int i = 0; i < 100; i++)
    {
        dialog.Create(Self(), kTestDialogEx, 0, NULL);
        dialog.Close(0);
    }
    size_t after = HeapInUse();
    EXPECT_LT(after, before + 4096) << "each run leaves its template copy behind";
}

TEST(C_Window, CentersWithTruncationTowardZero)
{
    EXPECT_EQ(24, CenteredOffset(100, 51));
    EXPECT_EQ(-2, CenteredOffset(10, 15));
    EXPECT_EQ(0, CenteredOffset(7, 7));

    HWND reference =
        CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, NULL, NULL, Self(), NULL);
    C_Dialog dialog;
    HWND window = dialog.Create(Self(), kTestDialog, 0, NULL);
    SetWindowPos(window, NULL, 0, 0, 201, 101, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_EQ(1, dialog.CenterWindow(reference));
    RECT placed;
    GetWindowRect(window, &placed);
    EXPECT_EQ(100 + 99, placed.left);
    EXPECT_EQ(100 + 99, placed.top);

    ASSERT_EQ(1, dialog.CenterWindow(NULL));
    GetWindowRect(window, &placed);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 1 - 201) / 2, placed.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - 1 - 101) / 2, placed.top);
    dialog.Close(0);
    DestroyWindow(reference);
}

TEST(C_Window, TopmostOnAndOff)
{
    C_Dialog dialog;
    HWND window = dialog.Create(Self(), kTestDialog, 0, NULL);
    ASSERT_EQ(1, dialog.SetTopmost(0, 0)) << "not topmost: nothing to do";
    EXPECT_EQ(0, GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    ASSERT_EQ(1, dialog.SetTopmost(1, 1));
    EXPECT_NE(0, GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    ASSERT_EQ(1, dialog.SetTopmost(0, 0));
    EXPECT_EQ(0, GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    dialog.Close(0);
}

TEST(C_Window, SetIconsGivesASmallIconAtTheSystemSize)
{
    C_Dialog dialog;
    HWND window = dialog.Create(Self(), kTestDialog, 0, NULL);
    dialog.SetIcons(102);
    HICON small = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
    HICON big = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_BIG, 0));
    EXPECT_TRUE(small != NULL);
    EXPECT_TRUE(big != NULL);
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(small, &info));
    BITMAP bitmap;
    GetObjectA(info.hbmMask, sizeof(bitmap), &bitmap);
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), bitmap.bmWidth);
    DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    dialog.SetIcons(102); // replaces the small icon; the old one is destroyed
    dialog.Close(0);
}
