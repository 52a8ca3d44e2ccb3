#pragma once

// Files for tests: the bytes a text-mode write gives, whole-file reads and
// writes, and scratch folders of their own.

#include <filesystem>
#include <string>

namespace figury {

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

void writeBytes(const std::filesystem::path& path, const std::string& bytes);
std::string readBytes(const std::filesystem::path& path);

// A fresh folder of its own for one test, removed with everything in it.
// Its name is unique across processes, so parallel runs never share files.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace testing_support

}  // namespace figury
