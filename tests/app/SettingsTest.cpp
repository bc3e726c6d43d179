#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "app/Settings.h"
#include "support/Registry.h"
#include "support/Templates.h"

namespace
{

const DWORD kResizable = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
const char kPlacementKey[] = "Software\\Tarnwick\\KarpolinTest\\Placement";

Settings Defaults()
{
    Settings settings;
    SetDefaultSettings(&settings, 1033);
    return settings;
}

bool Same(const Settings& a, const Settings& b)
{
    return strcmp(a.port, b.port) == 0 && strcmp(a.fontName, b.fontName) == 0 && a.fontSize == b.fontSize &&
           a.useFont == b.useFont && a.fontBold == b.fontBold && a.fontItalic == b.fontItalic &&
           a.simpleCubicMeter == b.simpleCubicMeter && a.baud1200 == b.baud1200 && a.language == b.language;
}

DWORD StoredDword(const C_ScratchKey& key, const char* name)
{
    std::string data;
    DWORD type = 0;
    if (!key.Get(name, &data, &type) || type != REG_DWORD || data.size() != 4)
        return 0xDEADBEEF;
    DWORD value;
    memcpy(&value, data.data(), 4);
    return value;
}

RECT WindowRect(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    return rect;
}

} // namespace

TEST(Settings, FirstRunKeepsEveryDefault)
{
    C_ScratchKey key(kSettingsKey);
    Settings settings = Defaults();
    LoadSettings(&settings);
    EXPECT_TRUE(Same(Defaults(), settings));
    EXPECT_STREQ("com2", settings.port);
    EXPECT_STREQ("Tahoma", settings.fontName);
    EXPECT_EQ(-11, settings.fontSize);
}

TEST(Settings, EveryValueRoundTrips)
{
    C_ScratchKey key(kSettingsKey);
    Settings stored = Defaults();
    strcpy(stored.port, "com8");
    strcpy(stored.fontName, "Courier New");
    stored.fontSize = -15;
    stored.useFont = 1;
    stored.fontBold = 1;
    stored.fontItalic = 3;
    stored.simpleCubicMeter = 1;
    stored.baud1200 = 1;
    stored.language = 1031;
    SaveSettings(&stored);

    std::string data;
    DWORD type = 0;
    ASSERT_TRUE(key.Get("Port", &data, &type));
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ(std::string("com8", 5), data);
    EXPECT_EQ((DWORD)-15, StoredDword(key, "FontSize"));
    EXPECT_EQ(1031u, StoredDword(key, "Language")) << "widened to 32 bits";
    EXPECT_EQ(1u, StoredDword(key, "1200"));

    Settings loaded = Defaults();
    LoadSettings(&loaded);
    EXPECT_TRUE(Same(stored, loaded));
}

TEST(Settings, UnusualValuesAreKeptAsStored)
{
    C_ScratchKey key(kSettingsKey);
    key.SetDword("UseFont", 2);
    key.SetString("Port", "COM3");
    Settings settings = Defaults();
    LoadSettings(&settings);
    EXPECT_EQ(2u, settings.useFont);
    EXPECT_STREQ("COM3", settings.port) << "the port name is not normalised";
    SaveSettings(&settings);
    EXPECT_EQ(2u, StoredDword(key, "UseFont"));
}

TEST(Settings, TheLanguageIsTheLow16BitsOfTheStoredValue)
{
    C_ScratchKey key(kSettingsKey);
    key.SetDword("Language", 0xABCD0407);
    Settings settings = Defaults();
    LoadSettings(&settings);
    EXPECT_EQ(1031, settings.language);

    // A value of 2 bytes replaces only those bytes of the 32-bit place.
    const BYTE shortValue[2] = {0x07, 0x0C};
    key.SetRaw("Language", REG_BINARY, shortValue, sizeof(shortValue));
    settings = Defaults();
    LoadSettings(&settings);
    EXPECT_EQ(3079, settings.language);
}

TEST(Settings, TextsTooLongForTheirFieldsKeepTheDefaults)
{
    C_ScratchKey key(kSettingsKey);
    key.SetString("Port", "com1-and-much-more");
    key.SetString("FontName", "A face name that is longer than thirty-one characters");
    key.SetDword("FontSize", (DWORD)-20);
    Settings settings = Defaults();
    LoadSettings(&settings);
    EXPECT_STREQ("com2", settings.port);
    EXPECT_STREQ("Tahoma", settings.fontName);
    EXPECT_EQ(-20, settings.fontSize) << "the rest is still read";

    key.SetString("Port", "com45678901"); // exactly 11 characters fit
    LoadSettings(&settings);
    EXPECT_STREQ("com45678901", settings.port);
}

TEST(PlacementFromText, ParsesAndAdjustsTheState)
{
    WINDOWPLACEMENT placement = PlacementFromText("2,10,10,700,500", NULL);
    EXPECT_EQ(44u, placement.length);
    EXPECT_EQ((UINT)SW_SHOWNORMAL, placement.showCmd);
    EXPECT_EQ(10, placement.rcNormalPosition.left);
    EXPECT_EQ(500, placement.rcNormalPosition.bottom);
    EXPECT_EQ((UINT)SW_SHOWNORMAL, PlacementFromText("0,1,2,3,4", NULL).showCmd);
    EXPECT_EQ((UINT)SW_SHOWMAXIMIZED, PlacementFromText("3,1,2,3,4", NULL).showCmd);
    placement = PlacementFromText("1,50,60", NULL);
    EXPECT_EQ(0, placement.rcNormalPosition.right) << "numbers that do not parse stay 0";
    EXPECT_EQ((UINT)SW_SHOWNORMAL, PlacementFromText("", NULL).showCmd);

    RECT work = {0, 30, 1280, 1000};
    placement = PlacementFromText("1,-3000,-3000,-2300,-2500", &work);
    EXPECT_EQ(10, placement.rcNormalPosition.left);
    EXPECT_EQ(40, placement.rcNormalPosition.top);
    EXPECT_EQ(710, placement.rcNormalPosition.right);
    EXPECT_EQ(540, placement.rcNormalPosition.bottom);
}

TEST(Placement, SavesStateAndNormalRectangle)
{
    C_ScratchKey key(kPlacementKey);
    HWND window = CreateEmptyDialog(kResizable, 200, 100);
    ASSERT_TRUE(window != NULL);
    SetWindowPos(window, NULL, 120, 80, 736, 464, SWP_NOZORDER);
    EXPECT_EQ(1, SavePlacement(window, HKEY_CURRENT_USER, kPlacementKey, "Main"));
    std::string data;
    DWORD type;
    ASSERT_TRUE(key.Get("Main", &data, &type));
    EXPECT_STREQ("0,120,80,856,544", data.c_str()) << "a window that is not visible is stored with state 0";

    ShowWindow(window, SW_SHOWNORMAL);
    EXPECT_EQ(1, SavePlacement(window, HKEY_CURRENT_USER, kPlacementKey, "Main"));
    ASSERT_TRUE(key.Get("Main", &data, &type));
    EXPECT_STREQ("1,120,80,856,544", data.c_str());
    DestroyWindow(window);
}

TEST(Placement, RestoresAMinimisedWindowAsNormal)
{
    C_ScratchKey key(kPlacementKey);
    key.SetString("Main", "2,10,10,700,500");
    HWND window = CreateEmptyDialog(kResizable, 200, 100);
    ASSERT_EQ(1, RestorePlacement(window, HKEY_CURRENT_USER, kPlacementKey, "Main"));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_TRUE(IsWindowVisible(window));
    RECT rect = WindowRect(window);
    EXPECT_EQ(10, rect.left);
    EXPECT_EQ(10, rect.top);
    EXPECT_EQ(690, rect.right - rect.left);
    EXPECT_EQ(490, rect.bottom - rect.top);
    DestroyWindow(window);
}

TEST(Placement, RestoresAHiddenWindowAsNormalAndAMaximisedOneMaximised)
{
    C_ScratchKey key(kPlacementKey);
    key.SetString("Main", "0,20,30,420,330");
    HWND window = CreateEmptyDialog(kResizable, 200, 100);
    ASSERT_EQ(1, RestorePlacement(window, HKEY_CURRENT_USER, kPlacementKey, "Main"));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsZoomed(window));

    key.SetString("Main", "3,20,30,420,330");
    ASSERT_EQ(1, RestorePlacement(window, HKEY_CURRENT_USER, kPlacementKey, "Main"));
    EXPECT_TRUE(IsZoomed(window));
    WINDOWPLACEMENT placement;
    placement.length = sizeof(placement);
    GetWindowPlacement(window, &placement);
    EXPECT_EQ(20, placement.rcNormalPosition.left);
    EXPECT_EQ(330, placement.rcNormalPosition.bottom);
    DestroyWindow(window);
}

TEST(Placement, AnOffScreenCornerLandsInsideTheWorkArea)
{
    C_ScratchKey key(kPlacementKey);
    key.SetString("Main", "1,-3000,-3000,-2300,-2500");
    HWND window = CreateEmptyDialog(kResizable, 200, 100);
    ASSERT_EQ(1, RestorePlacement(window, HKEY_CURRENT_USER, kPlacementKey, "Main"));
    RECT work;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    RECT rect = WindowRect(window);
    EXPECT_EQ(work.left + 10, rect.left);
    EXPECT_EQ(work.top + 10, rect.top);
    EXPECT_EQ(700, rect.right - rect.left);
    EXPECT_EQ(500, rect.bottom - rect.top);
    DestroyWindow(window);
}

TEST(Placement, NothingStoredRestoresNothing)
{
    C_ScratchKey key(kPlacementKey);
    HWND window = CreateEmptyDialog(kResizable, 200, 100);
    RECT before = WindowRect(window);
    EXPECT_EQ(0, RestorePlacement(window, HKEY_CURRENT_USER, kPlacementKey, "Main"));
    key.SetDword("Other", 1);
    EXPECT_EQ(0, RestorePlacement(window, HKEY_CURRENT_USER, kPlacementKey, "Main"));
    RECT after = WindowRect(window);
    EXPECT_EQ(before.left, after.left);
    EXPECT_FALSE(IsWindowVisible(window));
    DestroyWindow(window);
}
