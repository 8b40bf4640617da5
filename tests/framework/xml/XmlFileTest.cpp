// Every XML file of the game goes through LoadXmlFile: files too large,
// nested too deeply (however the nesting is dressed up) or not well-formed
// are refused with their reason, and nothing in them can overrun the parser.
#include "framework/xml/XmlFile.h"

#include "framework/support/TestFiles.h"

#include <gtest/gtest.h>

using namespace Quill;
using testfiles::TempFolder;

namespace {

std::string Repeat(const std::string& piece, size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (size_t i = 0; i < times; ++i) out += piece;
    return out;
}

} // namespace

TEST(XmlFile, RefusesWhatIsNotASmallShallowDocument) {
    struct Case {
        const char* what;
        std::string text;
        XmlLoad expected;
    } cases[] = {
        {"a menu", "<?xml version=\"1.0\"?>\n<Screen xc=\"0.5\"><Button name=\"b\"/></Screen>\n", XmlLoad::Ok},
        {"nested as deep as any file of ours", Repeat("<a>", 20) + Repeat("</a>", 20), XmlLoad::Ok},
        {"exactly at the size limit", "<Screen>" + std::string(kMaxXmlFileBytes - 17, ' ') + "</Screen>",
         XmlLoad::Ok},
        {"one byte over the size limit", "<Screen>" + std::string(kMaxXmlFileBytes - 16, ' ') + "</Screen>",
         XmlLoad::TooLarge},
        // 50,000 nested elements (350 KB) once ran the old parser out of stack.
        {"50,000 nested elements", Repeat("<a>", 50000) + Repeat("</a>", 50000), XmlLoad::TooDeep},
        // Closing tags hidden in declarations, character data and processing
        // instructions once passed a nesting guard that counted them.
        {"closing tags inside declarations", Repeat("<a><!x </y>", 60000), XmlLoad::TooDeep},
        {"closing tags inside character data", Repeat("<a><![CDATA[</a>]]>", 50000), XmlLoad::TooDeep},
        // (An instruction inside an element is refused as soon as it is met.)
        {"closing tags inside instructions", Repeat("<a><?x </a>?>", 60000), XmlLoad::Malformed},
        // A lone UTF-8 lead byte at the very end once made the old parser read past its buffer.
        {"a lone lead byte at the end", std::string("<?xml><e>\xE1"), XmlLoad::Malformed},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        const std::string path = folder / "file.xml";
        testfiles::WriteBytes(path, testfiles::Bytes(c.text.begin(), c.text.end()));
        tinyxml2::XMLDocument document;
        EXPECT_EQ(XmlLoadText(LoadXmlFile(document, path)), std::string(XmlLoadText(c.expected))) << c.what;
        // The same bytes from memory, with a copy exactly as long as the text.
        std::vector<char> exact(c.text.begin(), c.text.end());
        EXPECT_EQ(ParseXml(document, exact.data(), exact.size()), c.expected) << c.what;
    }
    tinyxml2::XMLDocument document;
    EXPECT_EQ(LoadXmlFile(document, folder / "missing.xml"), XmlLoad::Missing);
    EXPECT_EQ(LoadXmlFile(document, folder.path), XmlLoad::Missing) << "a folder";
}

TEST(XmlFile, ReadsGamePathsWithBackslashes) {
    TempFolder folder;
    std::filesystem::create_directories(folder / "Menu");
    testfiles::WriteBytes(folder / "Menu/m.xml", {'<', 'S', '/', '>'});
    tinyxml2::XMLDocument document;
    ASSERT_EQ(LoadXmlFile(document, folder.path + "\\Menu\\m.xml"), XmlLoad::Ok);
    EXPECT_NE(document.FirstChildElement("S"), nullptr);
}
