#include "framework/xml/XmlFile.h"

#include "framework/platform/Files.h"

#include <cstdio>
#include <vector>

namespace Quill {

XmlLoad ParseXml(tinyxml2::XMLDocument& document, const char* bytes, size_t size) {
    if (size > kMaxXmlFileBytes) return XmlLoad::TooLarge;
    document.Clear();
    // The parser copies the bytes and adds its own terminator.
    switch (document.Parse(bytes ? bytes : "", bytes ? size : 0)) {
    case tinyxml2::XML_SUCCESS:
        return XmlLoad::Ok;
    case tinyxml2::XML_ELEMENT_DEPTH_EXCEEDED:
        return XmlLoad::TooDeep;
    default:
        return XmlLoad::Malformed;
    }
}

XmlLoad LoadXmlFile(tinyxml2::XMLDocument& document, const std::string& path) {
    std::FILE* file = OpenFile(path, "rb");
    if (!file) return XmlLoad::Missing;
    // One byte past the limit is enough to know the file is too large.
    std::vector<char> bytes(kMaxXmlFileBytes + 1);
    size_t size = std::fread(bytes.data(), 1, bytes.size(), file);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return XmlLoad::Missing;
    if (size > kMaxXmlFileBytes) return XmlLoad::TooLarge;
    return ParseXml(document, bytes.data(), size);
}

const char* XmlLoadText(XmlLoad result) {
    switch (result) {
    case XmlLoad::Ok:
        return "ok";
    case XmlLoad::Missing:
        return "missing";
    case XmlLoad::TooLarge:
        return "too large";
    case XmlLoad::TooDeep:
        return "nested too deeply";
    case XmlLoad::Malformed:
        break;
    }
    return "malformed";
}

} // namespace Quill
