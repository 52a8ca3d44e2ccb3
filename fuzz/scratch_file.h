#pragma once

// A file of the fuzzer's own in a private temporary folder, which goes away
// when the process ends normally.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace figury {

namespace figure_checks {

class ScratchFolder {
public:
    ScratchFolder() {
        std::error_code error;
        std::string pattern = (std::filesystem::temp_directory_path(error) / "figury-fuzz-XXXXXX").string();
        if (error || ::mkdtemp(pattern.data()) == nullptr) {
            std::perror("figury fuzz: cannot create a scratch folder");
            std::abort();
        }
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string file(const char* name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline void writeWholeFile(const std::string& path, const void* bytes, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes, 1, size, file) != size || std::fclose(file) != 0) {
        std::perror("figury fuzz: cannot write the scratch file");
        std::abort();
    }
}

}  // namespace figure_checks

}  // namespace figury
