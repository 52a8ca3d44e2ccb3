#include "support/manifest.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include <gtest/gtest.h>

namespace figury {

namespace testing_support {

namespace {

// What QueryActCtxW answers for one class of information; empty when it cannot.
std::vector<char> query(HANDLE context, ULONG infoClass, const void* subInstance = nullptr) {
    SIZE_T size = 0;
    QueryActCtxW(0, context, const_cast<void*>(subInstance), infoClass, nullptr, 0, &size);
    std::vector<char> answer(size);
    if (size == 0 || !QueryActCtxW(0, context, const_cast<void*>(subInstance), infoClass, answer.data(),
                                   answer.size(), &size)) {
        answer.clear();
    }
    return answer;
}

std::wstring setting(HANDLE context, const wchar_t* xmlNamespace, const wchar_t* name) {
    wchar_t value[64] = {};
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, context, xmlNamespace, name, value, std::size(value), &written)) {
        return L"<none>";
    }
    return value;
}

// The identities of the assemblies the context holds, the program's first,
// as Windows writes them: the name, then attribute="value" pairs.
std::vector<std::wstring> assemblies(HANDLE context) {
    std::vector<std::wstring> identities;
    const std::vector<char> detail = query(context, ActivationContextDetailedInformation);
    if (detail.size() < sizeof(ACTIVATION_CONTEXT_DETAILED_INFORMATION)) {
        return identities;
    }
    const auto* info = reinterpret_cast<const ACTIVATION_CONTEXT_DETAILED_INFORMATION*>(detail.data());
    for (DWORD k = 1; k <= info->ulAssemblyCount; ++k) {
        const DWORD index = k;
        const std::vector<char> assembly =
            query(context, AssemblyDetailedInformationInActivationContext, &index);
        const auto* identity =
            reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(assembly.data());
        identities.emplace_back(assembly.empty() || identity->lpAssemblyEncodedAssemblyIdentity == nullptr
                                    ? L"<none>"
                                    : identity->lpAssemblyEncodedAssemblyIdentity);
    }
    return identities;
}

bool holds(const std::wstring& identity, const std::wstring& part) {
    return identity.find(part) != std::wstring::npos;
}

}  // namespace

void expectFiguryManifest(const std::string& exe, std::string_view version) {
    ACTCTXA source = {};
    source.cbSize = sizeof source;
    source.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    source.lpSource = exe.c_str();
    source.lpResourceName = MAKEINTRESOURCEA(1);  // CREATEPROCESS_MANIFEST_RESOURCE_ID
    HANDLE context = CreateActCtxA(&source);
    ASSERT_NE(INVALID_HANDLE_VALUE, context)
        << "Windows cannot read the manifest of " << exe << ": error " << GetLastError();

    // The program itself, then Common Controls 6, found among the system's assemblies.
    const std::vector<std::wstring> identities = assemblies(context);
    ASSERT_EQ(2u, identities.size());
    EXPECT_EQ(0u, identities[0].rfind(L"Figury,", 0)) << identities[0].c_str();
    const std::wstring programVersion(version.begin(), version.end());
    EXPECT_TRUE(holds(identities[0], L"version=\"" + programVersion + L".0\"")) << identities[0].c_str();
    const std::wstring& controls = identities[1];
    EXPECT_EQ(0u, controls.rfind(L"Microsoft.Windows.Common-Controls,", 0)) << controls.c_str();
    EXPECT_TRUE(holds(controls, L"publicKeyToken=\"6595b64144ccf1df\"")) << controls.c_str();
    EXPECT_TRUE(holds(controls, L"version=\"6.")) << controls.c_str();

    // Windows 7, 8, 8.1, and 10 and 11. Each element starts with its GUID; newer
    // systems add a field to it that this header lacks, so the GUIDs are found
    // as bytes.
    const std::vector<char> compatibility = query(context, CompatibilityInformationInActivationContext);
    ASSERT_GE(compatibility.size(), sizeof(DWORD));
    DWORD systems = 0;
    std::memcpy(&systems, compatibility.data(), sizeof systems);
    EXPECT_EQ(4u, systems);
    const GUID supported[] = {
        {0x35138b9a, 0x5d96, 0x4fbd, {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}},
        {0x4a2f28e3, 0x53b9, 0x4441, {0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38}},
        {0x1f676c76, 0x80e1, 0x4239, {0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78}},
        {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}},
    };
    const char* names[] = {"Windows 7", "Windows 8", "Windows 8.1", "Windows 10 and 11"};
    for (size_t k = 0; k < std::size(supported); ++k) {
        const auto* bytes = reinterpret_cast<const char*>(&supported[k]);
        EXPECT_NE(compatibility.end(),
                  std::search(compatibility.begin(), compatibility.end(), bytes, bytes + sizeof supported[k]))
            << names[k];
    }

    // Not aware of DPI, with GDI scaling where Windows has it.
    EXPECT_EQ(L"false",
              setting(context, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"));
    EXPECT_EQ(L"unaware",
              setting(context, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"));
    EXPECT_EQ(L"true",
              setting(context, L"http://schemas.microsoft.com/SMI/2017/WindowsSettings", L"gdiScaling"));

    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    EXPECT_TRUE(QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level,
                             sizeof level, nullptr));
    EXPECT_EQ(ACTCTX_RUN_LEVEL_AS_INVOKER, level.RunLevel);
    EXPECT_EQ(0u, level.UiAccess);

    ReleaseActCtx(context);
}

}  // namespace testing_support

}  // namespace figury
