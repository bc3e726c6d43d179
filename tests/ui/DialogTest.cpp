#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Heap.h"
#include "support/TestDialog.h"

namespace
{

const WORD kClassic = 9001, kExtended = 9002, kNoFont = 9003; // TestDialogs.rc
const HINSTANCE kSelf = GetModuleHandleA(NULL);
typedef std::vector<std::string> Log;

// Notes what reaches each operation. Its handlers give the focus to Cancel, post `post` (a key
// down to the edit 100, WM_APP + 1 to close with 42) and end a dialog that outlives 5 s with 99.
struct Recorder : C_Dialog
{
    Log log;
    int initResult = 1, closingAnswer = 1;
    UINT post = WM_NULL;

    ~Recorder() override { Close(0); }
    void Note(const std::string& what) { log.push_back(what); }
    int OnInitDialog() override
    {
        Note("init");
        SetFocus(GetItem(IDCANCEL));
        SetTimer(Handle(), 1, 5000, NULL);
        PostMessageA(post == WM_KEYDOWN ? GetItem(100) : Handle(), post, VK_ESCAPE, 0);
        return initResult;
    }
    int OnClosing(INT_PTR result) override
    {
        return Note("closing " + std::to_string(result)), closingAnswer;
    }
    int OnClose() override { return Note("close"), C_Dialog::OnClose(); }
    int OnDestroy() override { return Note("destroy"), C_Dialog::OnDestroy(); }
    int OnCommand(WORD id, WPARAM wparam, LPARAM lparam) override
    {
        if (HIWORD(wparam) == BN_CLICKED) // not the edit control's notifications
            Note("command " + std::to_string(id));
        return C_Dialog::OnCommand(id, wparam, lparam);
    }
    INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override
    {
        if (message == WM_APP)
            Note("message " + std::to_string(wparam));
        if (message == WM_APP + 1 || message == WM_TIMER)
            Close(message == WM_TIMER ? 99 : 42);
        return C_Dialog::OnMessage(message, wparam, lparam);
    }
};

HWND Popup(int x, int y, int width, int height)
{
    return CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, x, y, width, height, NULL, NULL, NULL,
                           NULL);
}

} // namespace

TEST(C_Dialog, RoutesEachMessageToItsOperationAndCloseAsksOnClosingFirst)
{
    Recorder dialog;
    HWND window = dialog.Create(kSelf, kClassic, 0, NULL);
    ASSERT_EQ(window, dialog.Handle());
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(1234, BN_CLICKED), 0);
    SendMessageA(window, WM_APP, 7, 0);
    dialog.closingAnswer = 0; // a veto keeps the window, and the next Close asks again
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(1, dialog.C_Dialog::OnMessage(WM_COMMAND, IDCANCEL, 0)); // the base closes also here
    dialog.Close(5);
    EXPECT_EQ(window, dialog.Handle());
    dialog.closingAnswer = 1;
    SendMessageA(window, WM_COMMAND, IDCLOSE, 0);
    dialog.Close(7); // no window any more: nothing to ask
    EXPECT_FALSE(IsWindow(window)) << "a modeless dialog is destroyed";
    EXPECT_EQ(NULL, dialog.Handle());
    EXPECT_EQ((Log{"init", "command 1234", "message 7", "close", "closing 0", "closing 0", "closing 5",
                   "command 8", "closing 0", "destroy"}),
              dialog.log);
}

TEST(C_Dialog, DoModalEndsWithTheResultOfCloseAndRunsAgain)
{
    const struct
    {
        WORD templateId;
        int initResult;
        UINT post; // Esc, which the base turns into Close(0), or WM_APP + 1 for Close(42)
        INT_PTR result;
        Log log;
    } rows[] = {{kClassic, 1, WM_KEYDOWN, 0, {"init", "command 2", "closing 0", "destroy"}},
                {kClassic, 1, WM_APP + 1, 42, {"init", "closing 42", "destroy"}},
                {kExtended, 1, WM_APP + 1, 42, {"init", "closing 42", "destroy"}},
                {kClassic, 0, WM_NULL, 0, {"init", "closing 0", "destroy"}}}; // ended before it is shown
    Recorder dialog;
    for (const auto& row : rows)
    {
        dialog.log.clear();
        dialog.initResult = row.initResult, dialog.post = row.post;
        EXPECT_EQ(row.result, dialog.DoModal(kSelf, row.templateId, 0)) << row.templateId;
        EXPECT_EQ(row.log, dialog.log) << row.templateId;
    }
}

TEST(C_Dialog, OnInitDialogReturningTwoKeepsTheFocusTheHandlerSet)
{
    for (int result : {1, 2}) // 1: the dialog manager focuses the first tab stop, the edit 100
    {
        Recorder dialog;
        dialog.initResult = result;
        HWND window = dialog.Create(kSelf, kClassic, 0, NULL);
        EXPECT_EQ(GetDlgItem(window, result == 1 ? 100 : IDCANCEL), GetFocus()) << result;
    }
}

TEST(C_Dialog, IsMadeFromTheRewrittenTemplateWhoseCopyIsFreedAndClosedWithTheObject)
{
    C_Dialog* dialog = new C_Dialog;
    LOGFONTA font;
    HWND window = dialog->Create(kSelf, kClassic, 0, NULL);
    ASSERT_TRUE(GetObjectA((HFONT)SendMessageA(window, WM_GETFONT, 0, 0), sizeof(font), &font));
    // This Wine's message font, "MS Shell Dlg", has no family of its own, nor has "MS Shell Dlg 2".
    EXPECT_STREQ("MS Shell Dlg", font.lfFaceName) << "what the fix-up makes of the template here";
    dialog->Close(0);
    size_t before = HeapInUse();
    for (int i = 0; i < 100; i++)
        dialog->Create(kSelf, kExtended, 0, NULL), dialog->Close(0);
    EXPECT_LT(HeapInUse(), before + 4096) << "each run leaves its template copy behind";
    EXPECT_EQ(-1, C_Dialog().DoModal(kSelf, 9999, 0));
    EXPECT_EQ(NULL, C_Dialog().Create(kSelf, 9999, 0, NULL));
    window = dialog->Create(kSelf, kNoFont, 0, NULL);
    EXPECT_TRUE(window != NULL) << "made from the resource itself";
    delete dialog;
    EXPECT_FALSE(IsWindow(window)) << "the object closes its open window";
}

TEST(C_Window, CentersABorrowedWindowWithTruncationTowardZeroAndMakesItTopmost)
{
    HWND reference = Popup(100, 100, 100, 100), own = Popup(0, 0, 201, 101);
    C_Window window(own);
    RECT placed;
    ASSERT_EQ(1, window.CenterWindow(reference));
    GetWindowRect(own, &placed);
    EXPECT_EQ(100 - 50, placed.left) << "-50.5 truncated toward zero";
    EXPECT_EQ(100 - 0, placed.top);
    ASSERT_EQ(1, window.CenterWindow(NULL));
    GetWindowRect(own, &placed);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 1 - 201) / 2, placed.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - 1 - 101) / 2, placed.top);
    for (int on : {0, 1, 0}) // off while not topmost: nothing to do
    {
        ASSERT_EQ(1, window.SetTopmost(on, 1));
        EXPECT_EQ(on, (GetWindowLongA(own, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
    }
    DestroyWindow(own);
    DestroyWindow(reference);
}

TEST(C_Window, SetIconsReplacesItsSmallIconAndTheObjectDestroysTheLast)
{
    C_Dialog* dialog = new C_Dialog;
    HWND window = dialog->Create(kSelf, kClassic, 0, NULL);
    ICONINFO info;
    BITMAP mask;
    HICON small[2];
    for (HICON& icon : small)
    {
        dialog->SetIcons(102);
        icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
        ASSERT_TRUE(GetIconInfo(icon, &info));
        GetObjectA(info.hbmMask, sizeof(mask), &mask);
        EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), mask.bmWidth);
        DeleteObject(info.hbmMask), DeleteObject(info.hbmColor);
        EXPECT_TRUE(SendMessageA(window, WM_GETICON, ICON_BIG, 0) != 0);
    }
    EXPECT_FALSE(GetIconInfo(small[0], &info)) << "the replaced icon is destroyed";
    delete dialog;
    EXPECT_FALSE(GetIconInfo(small[1], &info)) << "the last one goes with the object";
}

TEST(ShowMessage, FormatsCutsAndHandsOwnerCaptionTypeAndAnswerToTheSeam)
{
    HWND popup = Popup(0, 0, 10, 10);
    C_Window owner(popup), closed;
    const std::string longText(3000, 'x');
    const struct
    {
        const C_Window* dialog;
        UINT type;
        const char* format;
        HWND owner;
        std::string text;
        UINT shown;
    } rows[] = {
        {&owner, 0, "Protocol Error. [ID: %u]", popup, "Protocol Error. [ID: 5]", MB_ICONEXCLAMATION},
        {NULL, MB_YESNO | MB_ICONQUESTION, "Erase?", NULL, "Erase?", MB_YESNO | MB_ICONQUESTION},
        {&closed, MB_ICONINFORMATION, longText.c_str(), NULL, std::string(1023, 'x'), MB_ICONINFORMATION}};
    for (const auto& row : rows)
    {
        C_MessageRecorder recorder(IDNO);
        EXPECT_EQ(IDNO, ShowMessage(row.dialog, row.type, "Karpolin", row.format, 5u));
        std::vector<C_MessageRecorder::Shown> seen = recorder.Seen();
        ASSERT_EQ(1u, seen.size());
        EXPECT_TRUE(seen[0].owner == row.owner && seen[0].caption == "Karpolin" && seen[0].type == row.shown);
        EXPECT_EQ(row.text, seen[0].text);
    }
    DestroyWindow(popup);
}

namespace
{

std::string g_seen; // caption, text and buttons of the box

// Reads this thread's message box as the user sees it, and answers No.
VOID CALLBACK AnswerTheBox(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = FindWindowA("#32770", NULL);
    char caption[64] = "", text[64] = "";
    if (!box || GetWindowThreadProcessId(box, NULL) != GetCurrentThreadId())
        return;
    GetWindowTextA(box, caption, sizeof(caption));
    GetDlgItemTextA(box, 0xFFFF, text, sizeof(text)); // the text's static, on Windows and Wine
    g_seen = std::string(caption) + "|" + text + "|" + (GetDlgItem(box, IDYES) ? "yes " : "") +
             (GetDlgItem(box, IDNO) ? "no " : "") + (GetDlgItem(box, IDOK) ? "ok " : "");
    PostMessageA(box, WM_COMMAND, IDNO, 0);
}

} // namespace

// The one real box on screen: the box's own modal loop runs the timer that answers it.
TEST(ShowMessage, ARealBoxShowsTheCaptionTextAndButtons)
{
    UINT_PTR timer = SetTimer(NULL, 0, 50, AnswerTheBox);
    EXPECT_EQ(IDNO, ShowMessage(NULL, MB_YESNO | MB_ICONQUESTION, "Karpolin", "%s %u%%", "Erase all?", 100u));
    KillTimer(NULL, timer);
    EXPECT_EQ("Karpolin|Erase all? 100%|yes no ", g_seen);
}
