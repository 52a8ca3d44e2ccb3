#include "support/manifest.h"

#include <windows.h>

#include <cctype>
#include <iterator>
#include <utility>

#include <gtest/gtest.h>

namespace testing_support {

namespace {

bool isSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The inside of a start tag, after its "<" and before its ">" or "/>": the
// name, then name="value" pairs in either kind of quotes.
bool readTag(std::string_view tag, std::string& name, std::map<std::string, std::string>& attributes) {
    size_t at = 0;
    const auto skipSpace = [&] {
        while (at < tag.size() && isSpace(tag[at])) {
            ++at;
        }
    };
    const auto readName = [&] {
        const size_t start = at;
        while (at < tag.size() && !isSpace(tag[at]) && tag[at] != '=') {
            ++at;
        }
        return std::string(tag.substr(start, at - start));
    };
    name = readName();
    if (name.empty()) {
        return false;
    }
    for (skipSpace(); at < tag.size(); skipSpace()) {
        const std::string attribute = readName();
        skipSpace();
        if (attribute.empty() || at == tag.size() || tag[at] != '=') {
            return false;
        }
        ++at;
        skipSpace();
        if (at == tag.size() || (tag[at] != '"' && tag[at] != '\'')) {
            return false;
        }
        const size_t end = tag.find(tag[at], at + 1);
        if (end == std::string_view::npos ||
            !attributes.emplace(attribute, std::string(tag.substr(at + 1, end - at - 1))).second) {
            return false;
        }
        at = end + 1;
    }
    return true;
}

// The end of a tag that starts at start: its ">", outside quoted values.
size_t tagEnd(std::string_view xml, size_t start) {
    char quote = 0;
    for (size_t at = start; at < xml.size(); ++at) {
        if (quote != 0) {
            quote = xml[at] == quote ? 0 : quote;
        } else if (xml[at] == '"' || xml[at] == '\'') {
            quote = xml[at];
        } else if (xml[at] == '>') {
            return at;
        }
    }
    return std::string_view::npos;
}

BOOL CALLBACK noteManifest(HMODULE, LPCSTR, LPSTR name, LONG_PTR ids) {
    // A manifest under a name instead of a number counts as -1.
    reinterpret_cast<std::vector<int>*>(ids)->push_back(
        IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<ULONG_PTR>(name)) : -1);
    return TRUE;
}

}  // namespace

std::optional<std::vector<XmlElement>> xmlElements(std::string_view xml) {
    std::vector<XmlElement> elements;
    std::vector<size_t> open;  // the elements not yet closed, innermost last
    size_t at = 0;
    while (at < xml.size()) {
        const size_t start = xml.find('<', at);
        const std::string_view text = xml.substr(at, start == std::string_view::npos ? start : start - at);
        if (!open.empty()) {
            elements[open.back()].text += text;
        } else if (!trimmed(text).empty()) {
            return std::nullopt;
        }
        if (start == std::string_view::npos) {
            break;
        }
        const std::string_view rest = xml.substr(start);
        if (rest.rfind("<?", 0) == 0 || rest.rfind("<!--", 0) == 0) {
            const size_t end = xml.find(rest[1] == '?' ? "?>" : "-->", start);
            if (end == std::string_view::npos) {
                return std::nullopt;
            }
            at = end + (rest[1] == '?' ? 2 : 3);
            continue;
        }
        const size_t end = tagEnd(xml, start);
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        std::string_view tag = xml.substr(start + 1, end - start - 1);
        at = end + 1;
        if (tag.rfind('/', 0) == 0) {
            const std::string_view name = trimmed(tag.substr(1));
            if (open.empty() ||
                name != elements[open.back()].path.substr(elements[open.back()].path.rfind('/') + 1)) {
                return std::nullopt;
            }
            open.pop_back();
            continue;
        }
        const bool empty = !tag.empty() && tag.back() == '/';
        if (empty) {
            tag.remove_suffix(1);
        }
        if (open.empty() && !elements.empty()) {
            return std::nullopt;  // a second root
        }
        XmlElement element;
        std::string name;
        if (!readTag(tag, name, element.attributes)) {
            return std::nullopt;
        }
        const XmlElement* parent = open.empty() ? nullptr : &elements[open.back()];
        element.path = parent != nullptr ? parent->path + "/" + name : name;
        const auto xmlns = element.attributes.find("xmlns");
        if (xmlns != element.attributes.end()) {
            element.xmlNamespace = xmlns->second;
            element.attributes.erase(xmlns);
        } else if (parent != nullptr) {
            element.xmlNamespace = parent->xmlNamespace;
        }
        elements.push_back(std::move(element));
        if (!empty) {
            open.push_back(elements.size() - 1);
        }
    }
    if (elements.empty() || !open.empty()) {
        return std::nullopt;
    }
    for (XmlElement& element : elements) {
        element.text = std::string(trimmed(element.text));
    }
    return elements;
}

std::map<int, std::string> manifestsOf(const std::string& exe) {
    std::map<int, std::string> manifests;
    HMODULE module =
        LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) {
        return manifests;
    }
    std::vector<int> ids;
    EnumResourceNamesA(module, RT_MANIFEST, noteManifest, reinterpret_cast<LONG_PTR>(&ids));
    for (int id : ids) {
        std::string& manifest = manifests[id];
        HRSRC found = id < 0 ? nullptr : FindResourceA(module, MAKEINTRESOURCEA(id), RT_MANIFEST);
        HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
        const auto* bytes = loaded != nullptr ? static_cast<const char*>(LockResource(loaded)) : nullptr;
        if (bytes != nullptr) {
            manifest.assign(bytes, SizeofResource(module, found));
        }
    }
    FreeLibrary(module);
    return manifests;
}

void expectFiguryManifest(const std::string& exe, std::string_view version) {
    const std::map<int, std::string> manifests = manifestsOf(exe);
    ASSERT_EQ(1u, manifests.size()) << exe;
    // CREATEPROCESS_MANIFEST_RESOURCE_ID: the one Windows reads as it starts the program.
    ASSERT_EQ(1, manifests.begin()->first);
    const std::string& manifest = manifests.begin()->second;
    const std::optional<std::vector<XmlElement>> elements = xmlElements(manifest);
    ASSERT_TRUE(elements) << "not well formed:\n" << manifest;

    const std::string asmV1 = "urn:schemas-microsoft-com:asm.v1";
    const std::string asmV3 = "urn:schemas-microsoft-com:asm.v3";
    const std::string compatibility = "urn:schemas-microsoft-com:compatibility.v1";
    const std::string settings2005 = "http://schemas.microsoft.com/SMI/2005/WindowsSettings";
    const std::string settings2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings";
    const std::string settings2017 = "http://schemas.microsoft.com/SMI/2017/WindowsSettings";
    const std::string supportedOS = "assembly/compatibility/application/supportedOS";
    const std::string windowsSettings = "assembly/application/windowsSettings";
    struct Expected {
        std::string path;
        const std::string& xmlNamespace;
        std::map<std::string, std::string> attributes;
        std::string text;
    };
    const Expected expected[] = {
        {"assembly", asmV1, {{"manifestVersion", "1.0"}}, ""},
        {"assembly/assemblyIdentity",
         asmV1,
         {{"type", "win32"},
          {"name", "Figury"},
          {"version", std::string(version) + ".0"},
          {"processorArchitecture", "*"}},
         ""},
        {"assembly/description", asmV1, {}, "Figury - edytor figur"},
        {"assembly/compatibility", compatibility, {}, ""},
        {"assembly/compatibility/application", compatibility, {}, ""},
        {supportedOS, compatibility, {{"Id", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"}}, ""},  // 7
        {supportedOS, compatibility, {{"Id", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"}}, ""},  // 8
        {supportedOS, compatibility, {{"Id", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}"}}, ""},  // 8.1
        {supportedOS, compatibility, {{"Id", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}}, ""},  // 10 and 11
        {"assembly/dependency", asmV1, {}, ""},
        {"assembly/dependency/dependentAssembly", asmV1, {}, ""},
        {"assembly/dependency/dependentAssembly/assemblyIdentity",
         asmV1,
         {{"type", "win32"},
          {"name", "Microsoft.Windows.Common-Controls"},
          {"version", "6.0.0.0"},
          {"processorArchitecture", "*"},
          {"publicKeyToken", "6595b64144ccf1df"},
          {"language", "*"}},
         ""},
        {"assembly/application", asmV3, {}, ""},
        {windowsSettings, asmV3, {}, ""},
        {windowsSettings + "/dpiAware", settings2005, {}, "false"},
        {windowsSettings + "/dpiAwareness", settings2016, {}, "unaware"},
        {windowsSettings + "/gdiScaling", settings2017, {}, "true"},
        {"assembly/trustInfo", asmV3, {}, ""},
        {"assembly/trustInfo/security", asmV3, {}, ""},
        {"assembly/trustInfo/security/requestedPrivileges", asmV3, {}, ""},
        {"assembly/trustInfo/security/requestedPrivileges/requestedExecutionLevel",
         asmV3,
         {{"level", "asInvoker"}, {"uiAccess", "false"}},
         ""},
    };
    ASSERT_EQ(std::size(expected), elements->size()) << manifest;
    for (size_t k = 0; k < std::size(expected); ++k) {
        const XmlElement& element = (*elements)[k];
        SCOPED_TRACE(expected[k].path);
        EXPECT_EQ(expected[k].path, element.path);
        EXPECT_EQ(expected[k].xmlNamespace, element.xmlNamespace);
        EXPECT_EQ(expected[k].attributes, element.attributes);
        EXPECT_EQ(expected[k].text, element.text);
    }
}

}  // namespace testing_support
