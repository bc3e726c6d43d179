#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Resource.h"
#include "data/CsvExport.h"
#include "data/DataFile.h"
#include "data/ValueDisplay.h"
#include "support/Csv.h"
#include "support/TestDialog.h"
#include "sys/OsClass.h"
#include "sys/Target.h"
#include "ui/ListView.h"
#include "ui/StringTable.h"

namespace fs = std::filesystem;

// Filler '_' around every field, so that a field read from a wrong place or cut to a wrong width shows.
static const std::string kHeader(
    "__\304\263\366\337456__11:22:33_01.0\0.03__04:05:06_07.08.09__12_0003_1.293_0.01_06.0_0.98_001.5", 83);
static const fs::path kFolder = fs::temp_directory_path() / "karpolin-data-test";
static int g_calls, g_failing;

static std::string Record(const std::string& from2) // bytes 2 on, the rest of a well-formed record after them
{
    return "\r " + from2 + std::string("01;23;12:34:56;01234;567 89012;34567;8901;2345").substr(from2.size());
}

static std::string File(const char* name, const std::string& put = "") // what it holds, "-" when missing
{
    if (put != "-" && !put.empty())
        std::ofstream(kFolder / name, std::ios::binary) << put;
    std::ifstream in(kFolder / name, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "-";
}

static BOOL WINAPI FailingWrite(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED)
{
    return ++g_calls != g_failing && WriteFile(file, bytes, count, written, NULL);
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
    DataFileJob job{{&dialog, &strings, 1033}, &file, &header, &records, &dataValid, Refreshed, this};
    C_MessageRecorder boxes{IDOK};

    C_DataRig(std::initializer_list<std::string> points, LONG valid)
    {
        fs::remove_all(kFolder), fs::create_directory(kFolder);
        records.Init(), dialog.Open(IDD_MAIN), list.Attach(dialog.Item(IDC_POINT_LIST), NULL);
        memcpy(header.bytes, kHeader.data(), 83), dataValid = valid;
        for (const std::string& point : points)
            records.Append(NewRecordNode()), memcpy(records.Last()->record.bytes, Record(point).data(), 48);
    }
    ~C_DataRig() { ClearRecords(records), fs::remove_all(kFolder); }
    void Refresh() { display.dataValid = dataValid, RefreshDisplay(display); }
    static void Refreshed(void* rig) { static_cast<C_DataRig*>(rig)->Refresh(); }
    std::string Seen() // the points in the list, the point count shown, the boxes shown
    {
        std::string seen;
        for (const RecordNode* node = records.First(); node; node = node->next)
            seen += std::string(node->record.bytes + 2, 2) + " ";
        char shown[10] = "";
        seen += "[" + std::string(shown, GetDlgItemTextA(dialog.Handle(), IDC_POINT_COUNT, shown, 10)) + "]";
        for (const C_MessageRecorder::Shown& box : boxes.Seen())
            seen += "|" + box.caption + ": " + box.text;
        return seen;
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
    const struct { LONG valid; bool dashInByte2; DWORD cubicOption; WORD language; char cubic; } steps[] = {
        {0, 0, 0, 1033, '\263'}, {1, 0, 0, 1033, '\263'}, {1, 0, 0, 1031, '\263'}, {1, 0, 1, 1031, '3'},
        {1, 0, 2, 1033, '\263'}, {1, 1, 0, 1033, '\263'}, {0, 0, 1, 1033, '3'}};
    // clang-format on
    C_DataRig rig({"01", "--", std::string("-5;23;12:34:56;01\00034;567 89012;34567;\263\34401", 41)}, 0);
    HWND view = rig.dialog.Item(IDC_POINT_LIST);
    for (const auto& step : steps)
    {
        SCOPED_TRACE(testing::Message() << "step " << &step - steps);
        rig.header.bytes[2] = step.dashInByte2 ? '-' : kHeader[2], rig.dataValid = step.valid;
        rig.display.simpleCubicMeter = step.cubicOption, rig.display.language = step.language;
        rig.Refresh();
        char text[200], cell[100];
        for (int i = 0; i < 12; i++)
        {
            sprintf(text, kShown[i], step.cubic), GetDlgItemTextA(rig.dialog.Handle(), kValues[i], cell, 100);
            EXPECT_STREQ(step.valid && !step.dashInByte2 ? text : "", cell) << i;
            EXPECT_EQ(step.valid && !step.dashInByte2, !!IsWindowEnabled(rig.dialog.Item(kLabels[i]))) << i;
        }
        std::string rows;
        LVITEMA item = {LVIF_TEXT, 0, 0, 0, 0, cell, 100, 0, 0, 0, 0, 0, NULL};
        for (int row = 0; row < ListView_GetItemCount(view) * 9; row++)
        {
            item.iSubItem = row % 9;
            rows += std::string(cell, SendMessageA(view, LVM_GETITEMTEXTA, row / 9, (LPARAM)&item)) + "|";
        }
        EXPECT_EQ(step.valid ? kRows : "", rows);
        for (int i = 0; i < 9; i++)
        {
            char title[C_StringTable::kBufferSize]; // the texts are the resources'; the ids are the test's
            sprintf(text, rig.strings.LoadLocalizedString(kTitles[i], title, step.language), step.cubic);
            LVCOLUMNA column = {LVCF_TEXT | LVCF_FMT | LVCF_WIDTH, 0, 0, cell, 100, 0, 0, 0};
            ListView_GetColumn(view, i, &column);
            EXPECT_STREQ(text, cell);
            EXPECT_EQ(i ? LVCFMT_RIGHT : LVCFMT_LEFT, column.fmt & LVCFMT_JUSTIFYMASK) << i;
            ListView_SetColumnWidth(view, i, i == 1 ? 60 : LVSCW_AUTOSIZE_USEHEADER); // no change if fitted
            EXPECT_TRUE(step.valid || column.cx == ListView_GetColumnWidth(view, i)) << i;
        }
    }
}

const auto Read = +[](DataFileJob& job) { ReadDataFile(job, "data.dat"); };
const auto Write = +[](DataFileJob& job) { WriteDataFile(job, "data.dat"); };
const auto WriteElsewhere = +[](DataFileJob& job) { WriteDataFile(job, "no\\data.dat"); };
const auto Resave = +[](DataFileJob& job) { ReadDataFile(job, "data.dat"), WriteDataFile(job, "data.dat"); };
const auto Save = +[](DataFileJob& job) { EXPECT_EQ(0, SaveDataFile(job)); };

// On the data "77" (valid unless `valid` is 0), in a folder whose "data.dat" holds `file` ("-" none, "/" a
// folder) and then `after` (empty: unchanged). `failing`: the write or node allocation that fails.
TEST(DataFile, OpenKeepsTheWellFormedRecordsAndSaveReplacesTheTargetOnlyWhenComplete_WriteSeam)
{
    const std::string clean = kHeader + Record("01") + Record("--").replace(26, 1, 1, '\0') + Record("03");
    // clang-format off
    const struct { const char* name; void (*run)(DataFileJob&); std::string file, seen, after = "";
                   int failing = 0; LONG valid = 1; } cases[] = {
        {"header only", Read, kHeader, "[12]"},
        {"records, an empty slot among them", Read, clean, "01 -- 03 [12]"},
        {"short header", Read, kHeader.substr(0, 82), "[]|Karpolin: Can't read file. [1]"},
        {"cut record", Read, clean + "\r 04", "01 -- 03 []|Karpolin: Can't read file. [2]"},
        {"malformed, garbage, CR", Read, kHeader + Record("01,") + "junk" + Record("02"), "02 [12]"},
        {"malformed, no CR after it", Read, clean + Record("04,") + "junk", "01 -- 03 [12]"},
        {"CR inside a block", Read, kHeader + Record("01").substr(0, 30) + Record("02"), "02 [12]"},
        {"the card's end marker in a capture", Read, kHeader + Record("77") + "o", "77 [12]"},
        {"no node for the second record", Read, clean, "01 []", "", 2},
        {"no such file", Read, "-", "77 []|Karpolin: Can't open file."},
        {"Open, then Save over the same file", Resave, clean, "01 -- 03 [12]"},
        {"Save to a new name", Write, "-", "77 []", kHeader + Record("77")},
        {"Save over an old file", Write, "old", "77 []", kHeader + Record("77")},
        {"a missing folder", WriteElsewhere, "-", "77 []|Karpolin: Can't create file."},
        {"a folder in the target's place", Write, "/", "77 []|Karpolin: Can't create file."},
        {"header write fails", Write, "old", "77 []|Karpolin: Can't write full file. [1]", "", 1},
        {"record write fails", Write, "old", "77 []|Karpolin: Can't write full file. [2]", "", 2},
        {"record write fails on a new name", Write, "-", "77 []|Karpolin: Can't write full file. [2]", "", 2},
        {"Save without data", Save, "old", "77 []|Karpolin: No Data available to save.", "", 0, 0}};
    // clang-format on
    for (const auto& row : cases)
    {
        SCOPED_TRACE(row.name);
        C_DataRig rig({"77"}, row.valid);
        row.file == "/" ? fs::create_directory(kFolder / "data.dat") : File("data.dat", row.file).empty();
        g_calls = 0, g_failing = row.failing;
        rig.job.newNode = []() { return ++g_calls == g_failing ? NULL : NewRecordNode(); };
        const fs::path folder = fs::current_path(); // where a name without a folder goes
        InjectFileCalls(NULL, FailingWrite), fs::current_path(kFolder), row.run(rig.job);
        InjectFileCalls(NULL, NULL), fs::current_path(folder);
        EXPECT_EQ(row.seen, rig.Seen());
        const std::string after = row.after.empty() ? row.file : row.after;
        EXPECT_EQ(after == "/" ? "-" : after, File("data.dat"));
        EXPECT_EQ(after != "-", std::distance(fs::directory_iterator(kFolder), {})) << "a file of its own";
    }
}

TEST(FileDialog, OlderSystemsGetTheShorterStructure)
{
    for (DWORD os : {OS_95, OS_95_OSR2, OS_98, OS_98_SE, OS_ME, OS_NT4})
        EXPECT_EQ(Target::kOpenFileNameOldSize, FileDialogStructSize(os)) << os;
    for (DWORD os : {OS_2000, OS_XP, OS_2003, OS_VISTA})
        EXPECT_EQ(Target::kOpenFileNameSize, FileDialogStructSize(os)) << os;
}

// Read back by its rules the export is what the window shows (labels apart: the main window sets them).
TEST(CsvExport, ReadBackItIsWhatTheWindowShows)
{
    const std::string odd = "03; 3;12;34,56;01\"34"; // the time holds both separators, the gas meter a quote
    // clang-format off
    const struct { const char* name; CsvRules rules; WORD language; std::initializer_list<std::string> points;
                   char byte2; DWORD cubicOption; std::string line; } cases[] = {
        {"English", {',', '.'}, 1033, {"01", "--", odd}, '\304', 0, "Rho [density standard],1.293,kg/m\263"},
        {"German", {';', ','}, 1031, {odd, "--"}, '\304', 1, "03;\"12;34,56\";3;\"01\"\"34\";567;89012;34567;8901;2345"},
        {"an empty list", {';', ','}, 1033, {}, '\304', 0, "n [no. measure];12;"},
        {"no identification", {',', '.'}, 1033, {"01"}, '-', 0, "t [time per point],,"}};
    // clang-format on
    for (const auto& row : cases)
    {
        SCOPED_TRACE(row.name);
        C_DataRig rig(row.points, 1);
        rig.header.bytes[2] = row.byte2, rig.display.language = row.language;
        rig.display.simpleCubicMeter = row.cubicOption, rig.Refresh();
        C_Text csv;
        ASSERT_TRUE(BuildCsv(rig.display, row.rules, csv));
        EXPECT_NE(std::string::npos, ("\r\n" + std::string(csv.c_str())).find("\r\n" + row.line + "\r\n"));
        CsvLines read = ReadCsv(csv.c_str(), row.rules.separator),
                 shown = WindowLines(rig.dialog.Handle(), row.rules.decimal);
        for (int i = 0; i < 12 && i < (int)read.size(); i++)
            read[i][0] = shown[i][0];
        EXPECT_EQ(shown, read) << csv.c_str();
    }
}

TEST(CsvExport, ASeparatorThatWouldSplitNumbersOrFieldsGivesWayToAnother)
{
    const char* const cases[][3] = {{";", ",", ";"}, {",", ",", ";"},  {"", ".", ","},
                                    {".", "", ","},  {"\"", ",", ";"}, {"\n", ".", ","}};
    for (const auto& row : cases)
        EXPECT_EQ(row[2][0], CsvRulesOf(row[0], row[1]).separator) << row[0] << "|" << row[1];
}
