// The unpacked release as a user starts it: figury.exe in its own folder
// greets, shows the example house from Dane/obiekt.obj and its buttons in
// Polish, ends with 0 when the window is closed and leaves the file as
// shipped. FIGURY_RELEASE_DIR names the unpacked folder (the release_zip test
// makes it).

#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "editor_session.h"
#include "support/code_page.h"
#include "support/files.h"
#include "support/manifest.h"
#include "support/user_texts.h"

namespace figury {

namespace {

using namespace e2e;

// The points of a figure file in the editor's own format.
std::vector<POINT> pointsOf(const std::string& file) {
    std::istringstream in(file);
    std::string header;
    int count = 0;
    std::vector<POINT> points;
    if (in >> header >> count && header == "PUNKTY") {
        POINT p{};
        while (static_cast<int>(points.size()) < count && in >> p.x >> p.y) {
            points.push_back(p);
        }
    }
    return points;
}

// Whether the process draws its buttons with Common Controls 6, as its
// manifest asks: Windows then loads comctl32.dll from that assembly's folder
// (Wine too), where without the manifest the buttons are user32's own.
bool usesCommonControls6(DWORD process) {
    HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process);
    if (modules == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool found = false;
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    for (BOOL more = Module32FirstW(modules, &module); more && !found;
         more = Module32NextW(modules, &module)) {
        std::wstring path = module.szExePath;
        std::transform(path.begin(), path.end(), path.begin(),
                       [](wchar_t c) { return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c))); });
        found = path.find(L"\\winsxs\\") != std::wstring::npos &&
                path.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6.") != std::wstring::npos &&
                path.size() >= 13 && path.compare(path.size() - 13, 13, L"\\comctl32.dll") == 0;
    }
    CloseHandle(modules);
    return found;
}

class Release : public ::testing::Test {
protected:
    void SetUp() override {
        const char* dir = std::getenv("FIGURY_RELEASE_DIR");
        if (dir == nullptr || *dir == '\0') {
            GTEST_SKIP()
                << "FIGURY_RELEASE_DIR names no unpacked release; ctest's release_zip test makes one";
        }
        folder_ = toWindowsPath(dir);
        ASSERT_TRUE(testing_support::runsInTheCodePageAskedFor());
    }

    std::string folder_;
};

TEST_F(Release, StartsOnTheShippedHouseAndClosingLeavesItByteForByte) {
    const std::string figureFile = folder_ + "\\Dane\\obiekt.obj";
    const std::string shipped = testing_support::readBytes(figureFile);
    ASSERT_EQ(shipped, testing_support::platformText(testing_support::readBytes(
                           toWindowsPath(FIGURY_SOURCE_DIR "/examples/house.obj"))))
        << "Dane/obiekt.obj is the example house with Windows line ends";
    const std::vector<POINT> house = pointsOf(shipped);
    ASSERT_FALSE(house.empty());

    EditorSession session(folder_ + "\\figury.exe", [](const std::string& why) { ADD_FAILURE() << why; });
    ASSERT_TRUE(session.start(folder_));
    HWND greeting = session.waitBox(L"dane");
    ASSERT_NE(greeting, nullptr) << "no greeting box";
    EXPECT_EQ(EditorSession::boxText(greeting), L"Figury - edytor figur");
    ASSERT_TRUE(session.answer(greeting));
    ASSERT_NE(session.waitWindow(), nullptr) << "no window after the greeting";
    EXPECT_TRUE(topWindows(session.process().id(), "#32770").empty()) << "the house loads without a box";

    // The labels from left to right.
    std::vector<std::pair<LONG, std::wstring>> buttons;
    for (HWND button : childWindows(session.window())) {
        RECT place{};
        GetWindowRect(button, &place);
        buttons.emplace_back(place.left, windowText(button));
    }
    std::sort(buttons.begin(), buttons.end());
    std::vector<std::wstring> labels;
    for (const auto& button : buttons) {
        labels.push_back(button.second);
    }
    std::vector<std::wstring> expected = {L""};
    for (std::string_view label : user_texts::buttonLabels) {
        expected.push_back(user_texts::wide(label));
    }
    expected.push_back(L"");
    EXPECT_EQ(labels, expected);

    EXPECT_TRUE(usesCommonControls6(session.process().id()));

    const Image shown = session.shown();
    for (const POINT& p : house) {
        EXPECT_TRUE(pointMarked(shown, p.x, p.y)) << p.x << "," << p.y;
    }

    DWORD code = 12345;
    ASSERT_TRUE(session.closeWithAltF4(&code)) << "the editor did not end after Alt+F4";
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(testing_support::readBytes(figureFile), shipped);
}

std::string versionText(const std::vector<char>& info, const char* name) {
    char* value = nullptr;
    UINT length = 0;
    const std::string key = std::string("\\StringFileInfo\\041504E2\\") + name;
    if (!VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || length == 0) {
        return "<none>";
    }
    return value;
}

TEST_F(Release, ExecutableTellsWindowsItsNameAndVersion) {
    const std::string exe = folder_ + "\\figury.exe";
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "figury.exe has no version resource";
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS,
              static_cast<DWORD>(MAKELONG(FIGURY_VERSION_MINOR, FIGURY_VERSION_MAJOR)));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, FIGURY_VERSION_PATCH)));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);

    EXPECT_EQ(versionText(info, "ProductName"), "Figury");
    EXPECT_EQ(versionText(info, "FileDescription"), "Figury - edytor figur");
    EXPECT_EQ(versionText(info, "ProductVersion"), FIGURY_VERSION);
    EXPECT_EQ(versionText(info, "FileVersion"), FIGURY_VERSION);
    EXPECT_EQ(versionText(info, "OriginalFilename"), "figury.exe");
}

// The manifest of the program as shipped: the supported versions of Windows,
// Common Controls 6, its DPI behaviour and asInvoker.
TEST_F(Release, ExecutableTellsWindowsWhatItIs) {
    testing_support::expectFiguryManifest(folder_ + "\\figury.exe", FIGURY_VERSION);
}

}  // namespace

}  // namespace figury
