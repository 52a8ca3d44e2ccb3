// The save's replace on Windows keeps what the replaced file had: its
// attributes and its security. Where the system's replace does not carry them
// over (Wine's does not), the old file itself, kept under a backup name, takes
// the new figure and goes back in its place; either way, once the save is done
// the folder holds the figure file and nothing else.

#include <windows.h>

#include <sddl.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "figure/figure_file.h"
#include "support/figures.h"
#include "support/files.h"

namespace figury {

namespace {

// The owner, group and access list, in the system's text form.
std::string securityOf(const std::string& path) {
    const SECURITY_INFORMATION parts =
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD size = 0;
    GetFileSecurityA(path.c_str(), parts, nullptr, 0, &size);
    std::vector<char> descriptor(size);
    char* text = nullptr;
    if (size == 0 || !GetFileSecurityA(path.c_str(), parts, descriptor.data(), size, &size) ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor.data(), SDDL_REVISION_1, parts,
                                                              &text, nullptr)) {
        return "<none>";
    }
    std::string result = text;
    LocalFree(text);
    return result;
}

// Only the owner may use the file, as a user makes a file private.
bool makePrivate(const std::string& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;FA;;;OW)", SDDL_REVISION_1, &descriptor,
                                                              nullptr)) {
        return false;
    }
    const bool set = SetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor) != 0;
    LocalFree(descriptor);
    return set;
}

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

TEST(SaveSteps, AReplaceKeepsTheFilesAttributesAndSecurityAndLeavesOnlyTheFile) {
    const std::string longer =
        "// the old figure, longer than the new one\nPUNKTY 3\n1 2\n3 4\n5 6\nLINIE 0\n";
    const struct {
        const char* name;
        DWORD attributes;
        bool private_;
        std::string before;
    } cases[] = {
        {"as the editor makes it", FILE_ATTRIBUTE_ARCHIVE, false, longer},
        {"hidden", FILE_ATTRIBUTE_HIDDEN, false, longer},
        {"hidden and shorter than the new figure", FILE_ATTRIBUTE_HIDDEN, false, "PUNKTY 0\n"},
        {"private", FILE_ATTRIBUTE_ARCHIVE, true, longer},
        {"hidden, system and private", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, true, longer},
    };
    const Figure figure = testing_support::figureOf({10, 20, 30, 40, 50, 60}, {10, 20, 50, 60});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::ScratchDir scratch;
        const std::filesystem::path folder = scratch.path() / "Dane";
        std::filesystem::create_directories(folder);
        const std::string path = (folder / "obiekt.obj").string();
        testing_support::writeBytes(path, c.before);
        if (c.private_) {
            ASSERT_TRUE(makePrivate(path));
        }
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), c.attributes));
        const DWORD attributes = GetFileAttributesA(path.c_str());
        const std::string security = securityOf(path);
        // What the save's new file would have, unless the replace carries the old file's over.
        const std::string fresh = (folder / "fresh").string();
        testing_support::writeBytes(fresh, "");
        const DWORD freshAttributes = GetFileAttributesA(fresh.c_str());
        const std::string freshSecurity = securityOf(fresh);
        ASSERT_TRUE(DeleteFileA(fresh.c_str()));
        const DWORD set = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        ASSERT_EQ(c.attributes & set, attributes & set);
        ASSERT_EQ(c.private_ || (c.attributes & set) != 0,
                  (attributes & set) != (freshAttributes & set) || security != freshSecurity);

        ASSERT_TRUE(saveFigure(figure, path.c_str()));
        EXPECT_EQ(testing_support::platformText("PUNKTY 3\n\n10 20\n30 40\n50 60\n\nLINIE 1\n\n1 3\n"),
                  testing_support::readBytes(path));
        EXPECT_EQ(attributes, GetFileAttributesA(path.c_str()));
        EXPECT_EQ(security, securityOf(path));
        EXPECT_EQ((std::vector<std::string>{"obiekt.obj"}), namesIn(folder)) << "no backup or temporary left";
    }
}

}  // namespace

}  // namespace figury
