// What figury.exe tells Windows about itself, read out of the built program.

#include <gtest/gtest.h>

#include "support/manifest.h"

namespace figury {

namespace {

TEST(ExecutableManifest, SaysWhatTheProgramIs) {
    testing_support::expectFiguryManifest(FIGURY_EXE, FIGURY_VERSION);
}

}  // namespace

}  // namespace figury
