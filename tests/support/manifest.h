#pragma once

// The application manifest of an executable, read out of its resources and
// checked element by element.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

// One element of an XML text: the names of the elements it is in and its
// own, joined by "/", its namespace (its own xmlns or, without one, its
// parent's), its attributes but xmlns, and its text without the white space
// around it.
struct XmlElement {
    std::string path;
    std::string xmlNamespace;
    std::map<std::string, std::string> attributes;
    std::string text;
};

// Every element in document order; nothing when the text is not well formed
// (a tag not closed, an end tag that closes another, text after the root).
// Comments and the XML declaration are skipped; entities are not expanded.
std::optional<std::vector<XmlElement>> xmlElements(std::string_view xml);

// Every manifest resource of the executable by its number.
std::map<int, std::string> manifestsOf(const std::string& exe);

// Checks, as test expectations, that the executable carries one manifest,
// the one a process is created with, and that it says everything the
// editor's must: the project's version, the supported versions of Windows,
// Common Controls 6, no awareness of the screen's DPI with GDI scaling on,
// and the execution level asInvoker, each in its namespace, and nothing else.
void expectFiguryManifest(const std::string& exe, std::string_view version);

}  // namespace testing_support
