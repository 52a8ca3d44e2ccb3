// The executable itself holds every text the user reads as Windows-1250
// bytes with a terminator, as data, and none of them as UTF-8; they reach
// Windows as the same words in Unicode.

#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "editor/win32/gdi/polish_text.h"
#include "support/user_texts.h"

namespace figury {

namespace {

TEST(ExecutableTexts, EveryTextIsThereAsWindows1250) {
    std::ifstream file(FIGURY_EXE, std::ios::binary);
    ASSERT_TRUE(file) << FIGURY_EXE;
    const std::string exe(std::istreambuf_iterator<char>(file), {});
    for (std::string_view text : user_texts::all) {
        SCOPED_TRACE(std::string(text));
        const std::string bytes = user_texts::windows1250(text);
        EXPECT_NE(std::string::npos, exe.find(bytes + '\0'));
        if (bytes != text) {
            EXPECT_EQ(std::string::npos, exe.find(text));
        }
    }
    EXPECT_EQ("usu\xF1", user_texts::windows1250("usuń"));
}

// Whatever the system's code page.
TEST(PolishText, EveryTextAndLetterBecomesTheSameInUnicode) {
    for (std::string_view text : user_texts::all) {
        SCOPED_TRACE(std::string(text));
        EXPECT_EQ(user_texts::wide(text), fromWindows1250(user_texts::windows1250(text)));
    }
    for (const user_texts::PolishLetter& letter : user_texts::polishLetters) {
        SCOPED_TRACE(std::string(letter.utf8));
        EXPECT_EQ(user_texts::wide(letter.utf8), fromWindows1250(std::string(1, letter.windows1250)));
    }
    EXPECT_EQ(L"", fromWindows1250(""));
}

}  // namespace

}  // namespace figury
