#pragma once

// Files for tests: the bytes a text-mode write gives, whole-file reads and
// writes, and scratch folders of their own.

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

namespace testing_support {

// The bytes the text-mode writer produces for text written with "\n".
inline std::string platformText(const std::string& text) {
#ifdef _WIN32
    std::string bytes;
    for (char c : text) {
        if (c == '\n') {
            bytes += '\r';
        }
        bytes += c;
    }
    return bytes;
#else
    return text;
#endif
}

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A fresh folder of its own for one test, removed with everything in it.
// Its name is unique across processes, so parallel runs never share files.
class ScratchDir {
public:
    ScratchDir() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string stem = "figury";
        if (test) {
            stem += std::string("-") + test->test_suite_name() + "-" + test->name();
        }
        for (char& c : stem) {
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') {
                c = '_';
            }
        }
        std::random_device entropy;
        std::mt19937_64 random(
            (uint64_t{entropy()} << 32) ^ entropy() ^
            static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
        const std::filesystem::path base = ::testing::TempDir();
        for (;;) {
            path_ = base / (stem + "-" + std::to_string(random() % 1000000000));
            std::error_code error;
            if (std::filesystem::create_directory(path_, error)) {
                break;
            }
            if (error) {
                ADD_FAILURE() << "cannot create " << path_.string() << ": " << error.message();
                break;
            }
        }
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace testing_support
