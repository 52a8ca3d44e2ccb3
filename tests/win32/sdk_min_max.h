// Forced in front of each window source by the build check: windows.h as the
// Windows SDK ships it, which for C++ too defines min and max as macros unless
// the build sets NOMINMAX. MinGW-w64's defines them for C only, and its C++
// library sets NOMINMAX itself, so only what the build set counts here. The
// standard headers come first: the SDK's compiler has them guarded against
// these macros, libstdc++ does not.
#pragma once

#ifdef NOMINMAX
#define FIGURY_BUILD_SETS_NOMINMAX
#endif

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

namespace figury {

#ifndef FIGURY_BUILD_SETS_NOMINMAX
#define max(a, b) (((a) > (b)) ? (a) : (b))
#define min(a, b) (((a) < (b)) ? (a) : (b))
#endif

}  // namespace figury
