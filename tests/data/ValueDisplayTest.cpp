#include "DataRig.h"

#include "support/StringTableData.h"

namespace
{

const int kFields[12][2] = { // value control, label control
    {IDC_UNIT_NUMBER, IDC_UNIT_NUMBER_LABEL},
    {IDC_MEASURING_DAY, IDC_MEASURING_DAY_LABEL},
    {IDC_MEASURING_TIME, IDC_MEASURING_TIME_LABEL},
    {IDC_DENSITY, IDC_DENSITY_LABEL},
    {IDC_HUMIDITY, IDC_HUMIDITY_LABEL},
    {IDC_CHECK_DATE, IDC_CHECK_DATE_LABEL},
    {IDC_CHECK_TIME, IDC_CHECK_TIME_LABEL},
    {IDC_POINT_COUNT, IDC_POINT_COUNT_LABEL},
    {IDC_POINT_TIME, IDC_POINT_TIME_LABEL},
    {IDC_NOZZLE, IDC_NOZZLE_LABEL},
    {IDC_CORRECTION, IDC_CORRECTION_LABEL},
    {IDC_ADDITIONAL_FLOW, IDC_ADDITIONAL_FLOW_LABEL}};
// '#' stands for the cubic character.
const char* const kShownFields[12] = {"\xC4\xB3\xF6\xDF"
                                      "456",
                                      "01.0",
                                      "11:22:33",
                                      "1.293 kg/m#",
                                      "0.01 kg/m#",
                                      "07.08.09",
                                      "04:05:06",
                                      "12",
                                      "0003 min",
                                      "06.0 mm",
                                      "0.98",
                                      "001.5 m#/h"};
const std::vector<std::string> kShownRows = {"01|12:34:56|23|01234|567|89012|34567|8901|2345",
                                             "-5|12:34:56|23|01|567|89012|34567|\xB3\xE4"
                                             "01|2345"};
const unsigned kTitles[9] = {11, 40, 12, 13, 22, 14, 15, 16, 17};

std::string Cubic(std::string text, char cubic, const char* placeholder)
{
    size_t at = text.find(placeholder);
    return at == std::string::npos ? text : text.replace(at, strlen(placeholder), 1, cubic);
}

} // namespace

// One window refreshed step after step, so that each refresh must also undo what the one before showed.
TEST(ValueDisplay, EachRefreshShowsTheDataInTheOptionAndLanguageOfTheMoment)
{
    C_DataRig rig;
    rig.Fill(kHeader,
             {"01", "--",
              Bytes("-5;23;12:34:56;01\0"
                    "34;567 89012;34567;\xB3\xE4"
                    "01;2345")},
             0);
    const struct
    {
        const char* name;
        LONG valid;
        char byte2;
        DWORD cubicOption;
        WORD language;
        bool header, rows;
        char cubic;
    } steps[] = {{"no data", 0, '\xC4', 0, 1033, false, false, '\xB3'},
                 {"data", 1, '\xC4', 0, 1033, true, true, '\xB3'},
                 {"German", 1, '\xC4', 0, 1031, true, true, '\xB3'},
                 {"simple cubic metre", 1, '\xC4', 1, 1031, true, true, '3'},
                 {"any other option value", 1, '\xC4', 2, 1033, true, true, '\xB3'},
                 {"no identification", 1, '-', 0, 1033, false, true, '\xB3'},
                 {"no data again", 0, '\xC4', 1, 1033, false, false, '3'}};
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.name);
        rig.header.bytes[2] = step.byte2, rig.dataValid = step.valid;
        rig.display.simpleCubicMeter = step.cubicOption, rig.display.language = step.language;
        rig.Refresh();
        HWND view = rig.dialog.Item(IDC_POINT_LIST);
        for (int i = 0; i < 12; i++)
        {
            EXPECT_EQ(step.header ? Cubic(kShownFields[i], step.cubic, "#") : "", rig.Text(kFields[i][0]))
                << i;
            EXPECT_EQ(step.header, !!IsWindowEnabled(rig.dialog.Item(kFields[i][1]))) << i;
        }
        EXPECT_EQ(step.rows ? kShownRows : std::vector<std::string>(), rig.Rows());
        for (int i = 0; i < 9; i++)
        {
            const StringRow& row = *std::find_if(std::begin(kStringTable), std::end(kStringTable),
                                                 [&](const StringRow& r) { return r.id == kTitles[i]; });
            char title[200] = "";
            LVCOLUMNA column = {};
            column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH, column.pszText = title, column.cchTextMax = 200;
            SendMessageA(view, LVM_GETCOLUMNA, i, (LPARAM)&column);
            EXPECT_EQ(Cubic(Cp1252Of(step.language == 1031 ? row.german : row.english), step.cubic, "%c"),
                      title);
            EXPECT_EQ(i ? LVCFMT_RIGHT : LVCFMT_LEFT, column.fmt & LVCFMT_JUSTIFYMASK) << i;
            // Fitted to its title already (the time column keeps 60): fitting again changes nothing.
            if (!step.rows)
                SendMessageA(view, LVM_SETCOLUMNWIDTH, i, i == 1 ? 60 : LVSCW_AUTOSIZE_USEHEADER);
            EXPECT_EQ(column.cx, (int)SendMessageA(view, LVM_GETCOLUMNWIDTH, i, 0)) << i;
        }
    }
}
