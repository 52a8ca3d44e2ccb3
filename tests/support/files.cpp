#include "support/files.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

namespace figury {

namespace testing_support {

void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

ScratchDir::ScratchDir() {
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

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace testing_support

}  // namespace figury
