#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "app/Settings.h"
#include "support/Registry.h"

static std::string Stored(const C_ScratchKey& key, const char* name)
{
    std::string data;
    DWORD type = 0;
    return key.Get(name, &data, &type) ? std::to_string(type) + ":" + data : "missing";
}

TEST(Settings, MissingOrOverlongValuesKeepTheDefaultsAndEveryValueAndThePlacementRoundTripAsStored)
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
    stored.fontSize = -15, stored.useFont = 2, stored.fontBold = 3, stored.fontItalic = 4;
    stored.simpleCubicMeter = 5, stored.baud1200 = 6;
    SaveSettings(&stored);
    EXPECT_EQ(std::string("1:com45678901", 14), Stored(key, "Port"));
    EXPECT_EQ(std::string("4:\xF1\xFF\xFF\xFF", 6), Stored(key, "FontSize"));
    EXPECT_EQ(std::string("4:\x07\x04\0\0", 6), Stored(key, "Language")) << "widened to 32 bits";
    SetDefaultSettings(&loaded, 1033);
    LoadSettings(&loaded);
    EXPECT_EQ(0, memcmp(&stored, &loaded, sizeof(stored))); // SetDefaultSettings zeroes the padding

    // The placement: "state,left,top,right,bottom" of the normal rectangle, state 0 for a hidden window;
    // a hidden or minimised window comes back normal, one whose corner is on no monitor on the nearest.
    HWND window =
        CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 120, 80, 736, 464, NULL, NULL, NULL, NULL);
    EXPECT_EQ(0, RestorePlacement(window, HKEY_CURRENT_USER, kSettingsKey, kPlacementValue));
    EXPECT_EQ(1, SavePlacement(window, HKEY_CURRENT_USER, kSettingsKey, kPlacementValue));
    EXPECT_EQ(std::string("1:0,120,80,856,544", 19), Stored(key, kPlacementValue));
    RestorePlacement(window, HKEY_CURRENT_USER, kSettingsKey, kPlacementValue);
    EXPECT_TRUE(IsWindowVisible(window)) << "state 0 comes back shown";
    key.SetString(kPlacementValue, "2,-3000,-3000,-2300,-2500");
    EXPECT_EQ(1, RestorePlacement(window, HKEY_CURRENT_USER, kSettingsKey, kPlacementValue));
    EXPECT_EQ(1, SavePlacement(window, HKEY_CURRENT_USER, kSettingsKey, kPlacementValue));
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    char text[64];
    sprintf(text, "1:1,%ld,%ld,%ld,%ld", work.left + 10, work.top + 10, work.left + 710, work.top + 510);
    EXPECT_EQ(std::string(text, strlen(text) + 1), Stored(key, kPlacementValue));
    DestroyWindow(window);
}
