#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "app/Settings.h"
#include "support/Registry.h"

namespace
{

std::string Stored(const C_ScratchKey& key, const char* name)
{
    std::string data;
    DWORD type = 0;
    return key.Get(name, &data, &type) ? std::to_string(type) + ":" + data : "missing";
}

} // namespace

TEST(Settings, MissingOrOverlongValuesKeepTheDefaultsAndEveryValueRoundTripsAsStored)
{
    C_ScratchKey key(kSettingsKey);
    key.SetDword("Language", 0xABCD0407); // the language is the low 16 bits
    key.SetString("Port", "com1-and-much-more");
    key.SetString("FontName", "A face name that is longer than thirty-one characters");
    key.SetDword("UseFont", 7);
    Settings stored, loaded;
    SetDefaultSettings(&stored, 1033);
    LoadSettings(&stored);
    EXPECT_EQ(1031, stored.language);
    EXPECT_STREQ("com2", stored.port);
    EXPECT_STREQ("Tahoma", stored.fontName);
    EXPECT_EQ(-11, stored.fontSize);
    EXPECT_EQ(7u, stored.useFont) << "the rest is still read";

    strcpy(stored.port, "com45678901"); // exactly 11 characters fit
    strcpy(stored.fontName, "Courier New");
    stored.fontSize = -15, stored.useFont = 2, stored.fontBold = 3, stored.fontItalic = 4,
    stored.simpleCubicMeter = 5;
    stored.baud1200 = 6;
    SaveSettings(&stored);
    EXPECT_EQ(std::string("1:com45678901", 14), Stored(key, "Port"));
    EXPECT_EQ(std::string("4:\xF1\xFF\xFF\xFF", 6), Stored(key, "FontSize"));
    EXPECT_EQ(std::string("4:\x07\x04\0\0", 6), Stored(key, "Language")) << "widened to 32 bits";
    SetDefaultSettings(&loaded, 1033);
    LoadSettings(&loaded);
    EXPECT_EQ(0, memcmp(&stored, &loaded, sizeof(stored))); // SetDefaultSettings zeroes the padding
}

// A window is stored as its show state and normal rectangle; a corner off every monitor comes back
// on the nearest one, a hidden or minimised window comes back normal.
TEST(Placement, IsStoredAsTextAndComesBackVisibleOnAMonitor)
{
    const char path[] = "Software\\Tarnwick\\KarpolinTest\\Placement";
    C_ScratchKey key(path);
    HWND window =
        CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 120, 80, 736, 464, NULL, NULL, NULL, NULL);
    EXPECT_EQ(0, RestorePlacement(window, HKEY_CURRENT_USER, path, "Main")) << "nothing stored";
    EXPECT_EQ(1, SavePlacement(window, HKEY_CURRENT_USER, path, "Main"));
    EXPECT_EQ(std::string("1:0,120,80,856,544", 19), Stored(key, "Main")) << "not visible: state 0";
    RECT work;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    const struct
    {
        const char* stored;
        bool zoomed;
        RECT normal;
    } rows[] = {
        {"1,-3000,-3000,-2300,-2500", 0, {work.left + 10, work.top + 10, work.left + 710, work.top + 510}},
        {"3,20,30,420,330", 1, {20, 30, 420, 330}},
        {"0,20,30,420,330", 0, {20, 30, 420, 330}},
        {"2,10,10,700,500", 0, {10, 10, 700, 500}}};
    for (const auto& row : rows)
    {
        key.SetString("Main", row.stored);
        ASSERT_EQ(1, RestorePlacement(window, HKEY_CURRENT_USER, path, "Main")) << row.stored;
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof(placement);
        GetWindowPlacement(window, &placement);
        EXPECT_TRUE(IsWindowVisible(window) && !IsIconic(window) && row.zoomed == !!IsZoomed(window))
            << row.stored;
        EXPECT_TRUE(EqualRect(&row.normal, &placement.rcNormalPosition)) << row.stored;
    }
    EXPECT_EQ(1, SavePlacement(window, HKEY_CURRENT_USER, path, "Main"));
    EXPECT_EQ(std::string("1:1,10,10,700,500", 18), Stored(key, "Main"));
    DestroyWindow(window);
}
