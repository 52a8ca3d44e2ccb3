#pragma once

// The application manifest of an executable as Windows reads it: the
// activation context that Windows makes of it, as it would when starting the
// program.

#include <string>
#include <string_view>

namespace figury {

namespace testing_support {

// Checks, as test expectations, that Windows reads the manifest the executable
// is started with and finds in it everything the editor's must say: the
// program at this version, Common Controls 6 among the system's assemblies,
// Windows 7 to 11 as its systems, no awareness of the screen's DPI with GDI
// scaling on, and the execution level asInvoker.
void expectFiguryManifest(const std::string& exe, std::string_view version);

}  // namespace testing_support

}  // namespace figury
