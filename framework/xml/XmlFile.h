#pragma once
// framework/xml/: the one way every XML file of the game is read (menu
// screens, level files, classes.xml). It may use base/ and platform/.
//
// Our XML files are a few kilobytes and a few elements deep. A file over the
// size limit is refused before it is parsed; the parser itself refuses a
// document nested deeper than it allows (it counts every element it opens,
// whatever text, comments or declarations sit between them), so no file can
// run it out of stack or make start-up crawl.
#include <tinyxml2.h>

#include <cstddef>
#include <string>

namespace Quill {

// Larger XML files are not ours and are refused unread.
constexpr size_t kMaxXmlFileBytes = size_t(1) << 20;

enum class XmlLoad {
    Ok,
    Missing,   // the file could not be opened or read
    TooLarge,  // over kMaxXmlFileBytes
    TooDeep,   // nested deeper than the parser allows
    Malformed, // not a well-formed document
};

// Parses `size` bytes (which need no terminator) into `document`.
XmlLoad ParseXml(tinyxml2::XMLDocument& document, const char* bytes, size_t size);
// Reads the file at `path` (the platform's path rules) and parses it.
XmlLoad LoadXmlFile(tinyxml2::XMLDocument& document, const std::string& path);
// A word for the log: "ok", "missing", "too large", "nested too deeply", "malformed".
const char* XmlLoadText(XmlLoad result);

} // namespace Quill
