#pragma once

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "support/files.h"
#include "support/message_box_catcher.h"
#include "editor/win32/window_proc.h"

namespace figury {

// Each test runs in a scratch folder of its own, so that the editor's
// relative Dane/obiekt.obj is the test's file.
class ScratchFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        scratch_ = std::make_unique<testing_support::ScratchDir>();
        folder_ = scratch_->path();
        char previous[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, previous);
        previousFolder_ = previous;
        ASSERT_TRUE(SetCurrentDirectoryA(folder_.string().c_str()));
        // Real pointer motion over the window would move the hover position under the test.
        SetCursorPos(1270, 1010);
    }

    void TearDown() override {
        SetCurrentDirectoryA(previousFolder_.c_str());
        scratch_.reset();
    }

    void writeFigureFile(const std::string& bytes) {
        std::filesystem::create_directories(folder_ / "Dane");
        std::ofstream(folder_ / "Dane" / "obiekt.obj", std::ios::binary) << bytes;
    }

    std::string figureFileBytes() {
        std::ifstream in(folder_ / "Dane" / "obiekt.obj", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    bool figureFileExists() { return std::filesystem::exists(folder_ / "Dane" / "obiekt.obj"); }

    // Handles what the thread's queue holds, as the message loop would; a
    // quit message stays for takeQuit.
    static void takeMessages() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    // Takes the quit message that closing the window posted; false when there was none.
    static bool takeQuit(WPARAM& code) {
        MSG message;
        if (!PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
            return false;
        }
        code = message.wParam;
        return true;
    }

    MessageBoxCatcher catcher_;
    std::unique_ptr<testing_support::ScratchDir> scratch_;
    std::filesystem::path folder_;
    std::string previousFolder_;
};

}  // namespace figury
