#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "Resource.h"
#include "data/DataFile.h"
#include <commdlg.h>
#include "data/ValueDisplay.h"
#include "support/StringTableData.h"
#include "support/TestDialog.h"
#include "ui/ListView.h"
#include "ui/StringTable.h"

namespace fs = std::filesystem;

// Filler '_' around every field, so that a field read from a wrong place or cut to a wrong width shows.
static const std::string kHeader(
    "__\304\263\366\337456__11:22:33_01.0\0.03__04:05:06_07.08.09__12_0003_1.293_0.01_06.0_0.98_001.5", 83);
static const fs::path kFolder = fs::temp_directory_path() / "karpolin-data-test";
static const std::string kAsked = "Please select filename|data.dat|Data files|All files";
static std::string g_typed, g_asked;
static int g_writes, g_failingWrite, g_nodes;

static std::string Record(const std::string& from2) // bytes 2 on, the rest of a well-formed record after them
{
    return "\r " + from2 + std::string("01;23;12:34:56;01234;567 89012;34567;8901;2345").substr(from2.size());
}

static std::string File(const char* name, const std::string& put = "") // what it holds, "-" when missing
{
    if (!put.empty())
        std::ofstream(kFolder / name, std::ios::binary) << put;
    std::ifstream in(kFolder / name, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "-";
}

// Half of the bytes reach the disk and the write fails, as on a full disk or a pulled stick.
static BOOL WINAPI FailingWrite(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED)
{
    const int fails = ++g_writes == g_failingWrite;
    return WriteFile(file, bytes, fails ? count / 2 : count, written, NULL) && !fails;
}

// A user at the file dialog once it is up: notes title, name and file types, types g_typed and presses
// Enter, or Cancel when it is empty.
static void CALLBACK Answer(HWND box, UINT, UINT_PTR timer, DWORD)
{
    char text[MAX_PATH];
    KillTimer(box, timer), GetWindowTextA(box, text, MAX_PATH), g_asked = text + std::string("|");
    SendMessageA(box, CDM_GETSPEC, MAX_PATH, (LPARAM)text), g_asked += text;
    for (int i = 0; SendDlgItemMessageA(box, 0x470, CB_GETLBTEXT, i, (LPARAM)text) > 0; i++)
        g_asked += "|" + std::string(text);
    SendMessageA(box, CDM_SETCONTROLTEXT, 0x47C, (LPARAM)g_typed.c_str());
    PostMessageA(box, WM_COMMAND, g_typed.empty() ? IDCANCEL : IDOK, 0);
}

static LRESULT CALLBACK User(int code, WPARAM window, LPARAM lparam)
{
    if (code == HCBT_ACTIVATE && GetWindow((HWND)window, GW_OWNER))
        SetTimer((HWND)window, 1, 100, Answer);
    return CallNextHookEx(NULL, code, window, lparam);
}

// The main window's template with its list attached, its data and a file job on them, in a folder of its own.
struct C_DataRig
{
    C_TestDialog dialog;
    C_ListView list;
    C_StringTable strings{GetModuleHandleA(NULL)};
    MeasurementHeader header = {};
    RecordList records;
    std::atomic<LONG> dataValid{0};
    DisplayContext display{&dialog, &list, &strings, 1033, &header, &records};
    C_File file;
    DataFileJob job{{&dialog, &strings, 1033}, &file, &header, &records, &dataValid, OnRefresh, this};
    int refreshes = 0;
    C_MessageRecorder boxes{IDOK};

    C_DataRig(const std::string& bytes, std::initializer_list<std::string> points, LONG valid)
    {
        fs::remove_all(kFolder), fs::create_directory(kFolder);
        records.Init(), dialog.Open(IDD_MAIN), list.Attach(dialog.Item(IDC_POINT_LIST), NULL);
        memcpy(header.bytes, bytes.data(), 83), dataValid = valid;
        for (const std::string& point : points)
            records.Append(NewRecordNode()), memcpy(records.Last()->record.bytes, Record(point).data(), 48);
    }
    ~C_DataRig() { ClearRecords(records), fs::remove_all(kFolder); }
    static void OnRefresh(void* rig) { static_cast<C_DataRig*>(rig)->Refresh(); }
    void Refresh() { display.dataValid = dataValid, refreshes++, RefreshDisplay(display); }
    std::string Seen() // the points in the list, then the boxes shown, each checked for icon and owner
    {
        std::string seen;
        for (const RecordNode* node = records.First(); node; node = node->next)
            seen += std::string(node->record.bytes + 2, 2) + " ";
        for (const C_MessageRecorder::Shown& box : boxes.Seen())
            seen += "|" + box.caption + (box.type == 0x30 && box.owner == dialog.Handle() ? ": " : "? ") +
                    box.text;
        return seen;
    }
    // The command with its dialog when `typed` is given ("" for Cancel); else `direct` on the file `name`.
    void Run(const char* typed, void (*command)(DataFileJob&), int (*direct)(DataFileJob&, const char*),
             const char* name)
    {
        g_typed = typed && *typed ? (kFolder / typed).string() : "", g_asked = "";
        HHOOK hook = SetWindowsHookExA(WH_CBT, User, NULL, GetCurrentThreadId());
        const fs::path folder = fs::current_path(); // the dialog moves it to the chosen file's folder
        typed ? command(job) : (void)direct(job, (kFolder / name).string().c_str());
        UnhookWindowsHookEx(hook), fs::current_path(folder);
    }
};

// One window refreshed step after step, so that each refresh must also undo what the one before showed.
TEST(ValueDisplay, EachRefreshShowsTheDataInTheOptionAndLanguageOfTheMoment)
{
    // clang-format off
    const int kValues[] = {1010, 1011, 1012, 1014, 1019, 1022, 1023, 1024, 1017, 1016, 1020, 1021};
    const int kLabels[] = {1036, 1037, 1038, 1025, 1029, 1032, 1033, 1035, 1028, 1027, 1030, 1031};
    const char* const kShown[] = {"\304\263\366\337456", "01.0", "11:22:33", "1.293 kg/m%c", "0.01 kg/m%c",
        "07.08.09", "04:05:06", "12", "0003 min", "06.0 mm", "0.98", "001.5 m%c/h"};
    const std::string kRows = "01|12:34:56|23|01234|567|89012|34567|8901|2345|"
                              "-5|12:34:56|23|01|567|89012|34567|\263\34401|2345|";
    const unsigned kTitles[] = {11, 40, 12, 13, 22, 14, 15, 16, 17};
    const struct { LONG valid; char byte2; DWORD cubicOption; WORD language; char cubic; } steps[] = {
        {0, 'x', 0, 1033, '\xB3'}, {1, 'x', 0, 1033, '\xB3'}, {1, 'x', 0, 1031, '\xB3'}, {1, 'x', 1, 1031, '3'},
        {1, 'x', 2, 1033, '\xB3'}, {1, '-', 0, 1033, '\xB3'}, {0, 'x', 1, 1033, '3'}};
    // clang-format on
    C_DataRig rig(kHeader,
                  {"01", "--", std::string("-5;23;12:34:56;01\00034;567 89012;34567;\263\34401", 41)}, 0);
    HWND view = rig.dialog.Item(IDC_POINT_LIST);
    for (const auto& step : steps)
    {
        SCOPED_TRACE(testing::Message() << "step " << &step - steps);
        rig.header.bytes[2] = step.byte2 == 'x' ? kHeader[2] : step.byte2, rig.dataValid = step.valid;
        rig.display.simpleCubicMeter = step.cubicOption, rig.display.language = step.language;
        rig.Refresh();
        char text[200], cell[100];
        for (int i = 0; i < 12; i++)
        {
            sprintf(text, kShown[i], step.cubic), GetDlgItemTextA(rig.dialog.Handle(), kValues[i], cell, 100);
            EXPECT_STREQ(step.valid && step.byte2 != '-' ? text : "", cell) << i;
            EXPECT_EQ(step.valid && step.byte2 != '-', !!IsWindowEnabled(rig.dialog.Item(kLabels[i]))) << i;
        }
        std::string rows;
        for (int row = 0; row < ListView_GetItemCount(view) * 9; row++)
        {
            ListView_GetItemText(view, row / 9, row % 9, cell, 100);
            rows += cell + std::string("|");
        }
        EXPECT_EQ(step.valid ? kRows : "", rows);
        for (int i = 0; i < 9; i++)
        {
            auto row = std::find_if(std::begin(kStringTable), std::end(kStringTable),
                                    [&](const StringRow& row) { return row.id == kTitles[i]; });
            sprintf(text, Cp1252Of(step.language == 1031 ? row->german : row->english).c_str(), step.cubic);
            LVCOLUMNA column = {LVCF_TEXT | LVCF_FMT | LVCF_WIDTH, 0, 0, cell, 100, 0, 0, 0};
            ListView_GetColumn(view, i, &column);
            EXPECT_STREQ(text, cell);
            EXPECT_EQ(i ? LVCFMT_RIGHT : LVCFMT_LEFT, column.fmt & LVCFMT_JUSTIFYMASK) << i;
            // Fitted to its title already (the time column keeps 60): fitting again changes nothing.
            if (!step.valid)
                ListView_SetColumnWidth(view, i, i == 1 ? 60 : LVSCW_AUTOSIZE_USEHEADER);
            EXPECT_EQ(column.cx, ListView_GetColumnWidth(view, i)) << i;
        }
    }
}

// Rows with a `typed` name run the command and answer its dialog ("" for Cancel), the others read the file.
TEST(DataFile, OpenKeepsTheWellFormedRecordsAndShowsThemOnlyWhenTheFileEndsWhereARecordWouldBegin)
{
    const std::string clean = kHeader + Record("01") + Record("--").replace(26, 1, 1, '\0') + Record("03");
    // clang-format off
    const struct { const char* name; std::string bytes; LONG valid; std::string seen; int nodes = -1; const char* typed = NULL; } cases[] = {
        {"header only", kHeader, 1, ""},
        {"records, an empty slot among them", clean, 1, "01 -- 03 "},
        {"short header", kHeader.substr(0, 82), 0, "|Karpolin: Can't read file. [1]"},
        {"cut record", clean + Record("04").substr(0, 47), 0, "01 -- 03 |Karpolin: Can't read file. [2]"},
        {"malformed, garbage, CR", kHeader + Record("01,") + "garbage" + Record("02"), 1, "02 "},
        {"malformed, no CR after it", clean + Record("04,") + "garbage", 1, "01 -- 03 "},
        {"a CR inside a block begins the next record", kHeader + Record("01").substr(0, 30) + Record("02"), 1, "02 "},
        {"the card's end marker in a capture", kHeader + Record("01") + "o", 1, "01 "},
        {"no node for the second record", clean, 0, "01 ", 1},
        {"no such file", "", 1, "77 |Karpolin: Can't open file."},
        {"Open cancelled", clean, 1, "77 ", -1, ""},
        {"Open a typed name", clean, 1, "01 -- 03 ", -1, "in.dat"}};
    // clang-format on
    for (const auto& row : cases)
    {
        SCOPED_TRACE(row.name);
        C_DataRig rig(std::string(83, 'h'), {"77"}, 1);
        File("in.dat", row.bytes), g_nodes = row.nodes;
        rig.job.newNode = []() { return g_nodes-- ? NewRecordNode() : NULL; };
        rig.Run(
            row.typed, OpenDataFile,
            [](DataFileJob& job, const char* name) { return ReadDataFile(job, name), 1; }, "in.dat");
        EXPECT_EQ(row.typed ? kAsked : "", g_asked);
        EXPECT_EQ(row.seen, rig.Seen());
        EXPECT_EQ(row.valid, rig.dataValid.load());
        const bool read = !row.bytes.empty() && (!row.typed || *row.typed);
        char text[100] = "";
        GetDlgItemTextA(rig.dialog.Handle(), IDC_POINT_COUNT, text, 100);
        EXPECT_EQ(read, rig.refreshes);
        EXPECT_STREQ(row.valid && read ? "12" : "", text) << "shown once DataValid is set";
        if (read && row.valid && row.bytes == clean) // saved again, a clean file comes back byte for byte
        {
            WriteDataFile(rig.job, (kFolder / "again.dat").string().c_str());
            EXPECT_EQ(clean, File("again.dat"));
        }
    }
}

// "/" as the old content: a folder stands where the file would go.
TEST(DataFile, SaveReplacesTheTargetOnlyOnceEveryByteIsWritten_WriteSeam)
{
    // clang-format off
    const struct { const char* name; const char* target; std::string old; int failingWrite; std::string seen; LONG valid = 1; const char* typed = NULL; } cases[] = {
        {"new name", "data.dat", "", 0, ""},
        {"over an old file", "data.dat", "old", 0, ""},
        {"missing folder", "no\\data.dat", "", 0, "|Karpolin: Can't create file."},
        {"a folder in the target's place", "data.dat", "/", 0, "|Karpolin: Can't create file."},
        {"header write fails", "data.dat", "old", 1, "|Karpolin: Can't write full file. [1]"},
        {"second record write fails", "data.dat", "old", 3, "|Karpolin: Can't write full file. [2]"},
        {"record write fails on a new name", "data.dat", "", 2, "|Karpolin: Can't write full file. [2]"},
        {"Save without data", "", "old", 0, "|Karpolin: No Data available to save.", 0, ""},
        {"Save cancelled", "", "old", 0, "", 1, ""},
        {"Save as a typed name", "", "", 0, "", 1, "data.dat"}};
    // clang-format on
    for (const auto& row : cases)
    {
        SCOPED_TRACE(row.name);
        C_DataRig rig(kHeader, {"01", "--", "03"}, row.valid);
        row.old == "/" ? fs::create_directory(kFolder / "data.dat") : File("data.dat", row.old).empty();
        g_writes = 0, g_failingWrite = row.failingWrite;
        InjectFileCalls(NULL, FailingWrite);
        rig.Run(row.typed, SaveDataFile, WriteDataFile, row.target);
        InjectFileCalls(NULL, NULL);
        EXPECT_EQ(row.typed && row.valid ? kAsked : "", g_asked);
        EXPECT_EQ("01 -- 03 " + row.seen, rig.Seen());
        const bool saved = row.seen.empty() && (!row.typed || *row.typed);
        const std::string old = row.old.empty() || row.old == "/" ? "-" : row.old;
        EXPECT_EQ(saved ? kHeader + Record("01") + Record("--") + Record("03") : old, File("data.dat"));
        // Nothing of the file of its own stays behind.
        EXPECT_EQ(saved || !row.old.empty(), std::distance(fs::directory_iterator(kFolder), {}));
    }
}
