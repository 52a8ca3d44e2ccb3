// What figury.exe tells Windows about itself, read out of the built program.

#include <gtest/gtest.h>

#include "support/manifest.h"

namespace {

TEST(ExecutableManifest, SaysWhatTheProgramIs) {
    testing_support::expectFiguryManifest(FIGURY_EXE, FIGURY_VERSION);
}

// The reader the check relies on, on what a manifest may hold and what it must not.
TEST(ExecutableManifest, TheReaderTakesElementsTheirNamespacesAndTextAndRefusesBrokenOnes) {
    using testing_support::xmlElements;
    const auto elements = xmlElements(
        "<?xml version=\"1.0\"?>\n<!-- a > b -->\n<a xmlns=\"one\" x='1' y=\"2 > 1\">\n"
        "  <b/>\n  <c xmlns=\"two\"><d>  some text </d></c>\n</a>\n");
    ASSERT_TRUE(elements);
    ASSERT_EQ(4u, elements->size());
    EXPECT_EQ("a", (*elements)[0].path);
    EXPECT_EQ("one", (*elements)[0].xmlNamespace);
    EXPECT_EQ((std::map<std::string, std::string>{{"x", "1"}, {"y", "2 > 1"}}), (*elements)[0].attributes);
    EXPECT_EQ("a/b", (*elements)[1].path);
    EXPECT_EQ("one", (*elements)[1].xmlNamespace);
    EXPECT_EQ("a/c/d", (*elements)[3].path);
    EXPECT_EQ("two", (*elements)[3].xmlNamespace);
    EXPECT_EQ("some text", (*elements)[3].text);
    for (const char* broken : {"", "<a>", "<a></b>", "<a/><b/>", "<a x=1/>", "<a x='1' x='2'/>", "text<a/>",
                               "<a><!-- unclosed </a>", "<a y=\"2/>"}) {
        SCOPED_TRACE(broken);
        EXPECT_FALSE(xmlElements(broken));
    }
}

}  // namespace
