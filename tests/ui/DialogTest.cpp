#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Heap.h"
#include "support/TestDialog.h"

namespace
{

const WORD kClassic = 9001, kExtended = 910, kNoFont = 9003; // UiTestResources.rc
const HINSTANCE kSelf = GetModuleHandleA(NULL);
typedef std::vector<std::string> Log;

// Notes what reaches each operation, after the base's answer. OnInitDialog posts `post`; WM_APP + 1
// closes with 42.
struct Recorder : C_Dialog
{
    Log log;
    int initResult = 1, closingAnswer = 1;
    UINT post = WM_NULL;

    ~Recorder() override { Close(0); }
    int Note(const std::string& what, int result) { return log.push_back(what), result; }
    int OnInitDialog() override { return PostMessageA(Handle(), post, 0, 0), Note("init", initResult); }
    int OnClosing(INT_PTR r) override { return Note("closing " + std::to_string(r), closingAnswer); }
    int OnClose() override { return Note("close", C_Dialog::OnClose()); }
    int OnDestroy() override { return Note("destroy", C_Dialog::OnDestroy()); }
    int OnCommand(WORD id, WPARAM w, LPARAM l) override
    {
        return Note("command " + std::to_string(id), C_Dialog::OnCommand(id, w, l));
    }
    INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override
    {
        if (message == WM_APP + 1)
            Close(42);
        return message == WM_APP ? Note("message", 1) : C_Dialog::OnMessage(message, wparam, lparam);
    }
};

} // namespace

TEST(C_Dialog, RoutesEachMessageToItsOperationAndCloseAsksOnClosingFirst)
{
    Recorder dialog;
    HWND window = dialog.Create(kSelf, kClassic, 0, NULL);
    ASSERT_EQ(window, dialog.Handle());
    SendMessageA(window, WM_COMMAND, 1234, 0);
    SendMessageA(window, WM_APP, 7, 0);
    dialog.closingAnswer = 0; // a veto keeps the window, and the next Close asks again
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(1, dialog.C_Dialog::OnMessage(WM_COMMAND, IDCANCEL, 0)); // the base closes also here
    dialog.Close(5);
    EXPECT_EQ(window, dialog.Handle());
    dialog.closingAnswer = 1;
    SendMessageA(window, WM_COMMAND, IDCLOSE, 0);
    dialog.Close(7); // no window any more: nothing to ask
    EXPECT_TRUE(!IsWindow(window) && !dialog.Handle()) << "a modeless dialog is destroyed";
    EXPECT_EQ((Log{"init", "command 1234", "message", "closing 0", "close", "closing 0", "closing 5",
                   "closing 0", "destroy", "command 8"}),
              dialog.log);
    for (int initResult : {1, 0}) // 0 ends the dialog before it is shown
    {
        dialog.log.clear();
        dialog.initResult = initResult, dialog.post = WM_APP + 1;
        EXPECT_EQ(initResult ? 42 : 0, dialog.DoModal(kSelf, kExtended, 0));
        EXPECT_EQ((Log{"init", initResult ? "closing 42" : "closing 0", "destroy"}), dialog.log);
    }
}

// It owns the small icon that SetIcons loaded at the small size.
TEST(C_Dialog, IsMadeFromTheRewrittenTemplateWhoseCopyIsFreedAndTakesItsWindowAndSmallIconAlong)
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
    EXPECT_TRUE(C_Dialog().DoModal(kSelf, 9999, 0) == -1 && !C_Dialog().Create(kSelf, 9999, 0, NULL));
    window = dialog->Create(kSelf, kNoFont, 0, NULL);
    EXPECT_TRUE(window != NULL) << "made from the resource itself";
    ICONINFO info;
    BITMAP mask;
    HICON small[2];
    for (HICON& icon : small)
    {
        dialog->SetIcons(102);
        icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
        ASSERT_TRUE(GetIconInfo(icon, &info) && GetObjectA(info.hbmMask, sizeof(mask), &mask));
        EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), mask.bmWidth);
        DeleteObject(info.hbmMask), DeleteObject(info.hbmColor);
        EXPECT_TRUE(SendMessageA(window, WM_GETICON, ICON_BIG, 0) != 0);
    }
    EXPECT_FALSE(GetIconInfo(small[0], &info)) << "the replaced icon is destroyed";
    delete dialog;
    EXPECT_FALSE(IsWindow(window)) << "the object closes its open window";
    EXPECT_FALSE(GetIconInfo(small[1], &info)) << "and destroys the last small icon";
}

TEST(ShowMessage, ARealBoxShowsTextAndButtonsAndTheSeamGetsTheTextCutAt1023TheOwnerAndTheType)
{
    C_BoxAnswerer answerer(IDNO);
    EXPECT_EQ(IDNO, ShowMessage(NULL, MB_YESNO | MB_ICONQUESTION, "Karpolin", "%s %u%%", "Erase all?", 100u));
    EXPECT_EQ("Karpolin|Erase all? 100%|yes no ", answerer.Seen());
    HWND popup = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    C_Window owner(popup), closed;
    C_MessageRecorder recorder(IDNO);
    EXPECT_EQ(IDNO, ShowMessage(&owner, 0, "Karpolin", std::string(3000, 'x').c_str()));
    EXPECT_EQ(IDNO, ShowMessage(&closed, MB_YESNO, "K", "[%u]", 5u));
    std::vector<C_MessageRecorder::Shown> seen = recorder.Seen();
    ASSERT_EQ(2u, seen.size());
    EXPECT_TRUE(seen[0].owner == popup && seen[0].type == MB_ICONEXCLAMATION &&
                seen[0].caption == "Karpolin" && seen[0].text == std::string(1023, 'x'))
        << seen[0].text.size();
    EXPECT_TRUE(seen[1].owner == NULL && seen[1].type == MB_YESNO && seen[1].text == "[5]");
    DestroyWindow(popup);
}
