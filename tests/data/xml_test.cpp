#include "data/xml.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/xml_text.h"

namespace {

// Records every call it gets, in order, as one readable line each.
class Recorder : public CRSXMLParser::XHandler {
 public:
  explicit Recorder(std::vector<std::string>* log, std::string tag = "") : m_log(log), m_tag(std::move(tag)) {}
  void OnElement(const std::string& name, const CRSXMLParser::Attributes& attributes,
                 const std::string& text) override {
    std::string line = m_tag + "element " + name;
    for (const auto& [k, v] : attributes) line += " " + k + "=" + v;
    line += " [" + text + "]";
    m_log->push_back(line);
    if (pushOn && xmltext::EqualsNoCase(name, pushOn->first)) GetParser()->PushHandler(pushOn->second);
  }
  void OnEndElement(const std::string& name) override { m_log->push_back(m_tag + "end " + name); }
  void OnText(const std::string& parent, const std::string& text) override {
    m_log->push_back(m_tag + "text " + parent + " [" + text + "]");
  }
  void OnDone() override { m_log->push_back(m_tag + "done"); }

  std::optional<std::pair<std::string, CRSXMLParser::XHandler*>> pushOn;

 private:
  std::vector<std::string>* m_log;
  std::string m_tag;
};

std::string TempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("tandrill_xml_" + std::to_string(::getpid()) + "_" + name))
      .string();
}

}  // namespace

TEST(XmlParserTest, DeliversElementsTextAndEndsInDocumentOrder) {
  std::vector<std::string> log;
  Recorder root(&log);
  CRSXMLParser parser;
  ASSERT_EQ(parser.ParseText("<a><b>x</b>y</a>", &root), CRSXMLParser::kSuccess);
  EXPECT_EQ(log, (std::vector<std::string>{"element a []", "element b [x]", "end b", "text a [y]", "end a",
                                           "done"}));
  EXPECT_EQ(parser.GetErrorText(), "SUCCESS");
  EXPECT_EQ(root.GetParser(), nullptr);
}

TEST(XmlParserTest, LeadingTextKeepsWhitespaceAndAttributesKeepOrder) {
  std::vector<std::string> log;
  Recorder root(&log);
  CRSXMLParser parser;
  ASSERT_EQ(parser.ParseText("<a z=\"1\" b='two &amp; more'>\n  lead<c/></a>", &root), 0);
  EXPECT_EQ(log[0], "element a z=1 b=two & more [\n  lead]");
}

TEST(XmlParserTest, PushedHandlerGetsTheRestOfItsElementAndOnDoneAtItsEnd) {
  std::vector<std::string> log;
  Recorder root(&log, "root ");
  Recorder sub(&log, "sub ");
  root.pushOn = {{"p", &sub}};
  CRSXMLParser parser;
  // Capitals in the document, a lower-case keyword in the handler, and a
  // nested element with the same name as the one that pushed the handler.
  ASSERT_EQ(parser.ParseText("<R><P><P>in</P><q/></P><after/></R>", &root), 0);
  EXPECT_EQ(log, (std::vector<std::string>{
                     "root element R []", "root element P []",  // pushes sub, which skips its opening element
                     "sub element P [in]", "sub end P",         // inner P: depth 2 -> 1, sub keeps it
                     "sub element q []", "sub end q",
                     "sub done", "root end P",                  // outer P ends: sub leaves, root hears the end
                     "root element after []", "root end after", "root end R", "root done"}));
}

TEST(XmlParserTest, HandlerThatReceivesItsOpeningElementGetsItAndItsEnd) {
  std::vector<std::string> log;
  Recorder root(&log, "root ");
  Recorder sub(&log, "sub ");
  sub.SetReceivesOpeningElement(true);
  root.pushOn = {{"v", &sub}};
  CRSXMLParser parser;
  ASSERT_EQ(parser.ParseText("<r><v k=\"1\">t</v>tail</r>", &root), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"root element r []", "root element v k=1 [t]", "sub element v k=1 [t]",
                                           "sub end v", "sub done", "root end v", "root text r [tail]",
                                           "root end r", "root done"}));
}

TEST(XmlParserTest, HandlersLeftOnTheStackAtAnErrorStillHearOnDone) {
  std::vector<std::string> log;
  Recorder root(&log, "root ");
  Recorder sub(&log, "sub ");
  root.pushOn = {{"p", &sub}};
  CRSXMLParser parser;
  EXPECT_EQ(parser.ParseText("<r><p><x></p>", &root), CRSXMLParser::kSyntaxError);
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], "sub done");
  EXPECT_EQ(log.back(), "root done");
  EXPECT_EQ(sub.GetParser(), nullptr);
}

TEST(XmlParserTest, HandlerDestroyedMidParseLeavesTheStack) {
  std::vector<std::string> log;
  Recorder root(&log, "root ");
  // A sub-record that frees itself (through its owner) in the middle of its
  // element; the parse must go on with the handler below it.
  struct SelfDestroying : Recorder {
    using Recorder::Recorder;
    std::unique_ptr<SelfDestroying>* owner = nullptr;
    void OnElement(const std::string& n, const CRSXMLParser::Attributes& a, const std::string& t) override {
      if (n == "kill") owner->reset();
      else Recorder::OnElement(n, a, t);
    }
  };
  auto sub = std::make_unique<SelfDestroying>(&log, "sub ");
  sub->owner = &sub;
  root.pushOn = {{"p", sub.get()}};
  CRSXMLParser parser;
  ASSERT_EQ(parser.ParseText("<r><p><kill/><x/></p><after/></r>", &root), 0);
  EXPECT_EQ(sub, nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"root element r []", "root element p []", "root end kill",
                                           "root element x []", "root end x", "root end p",
                                           "root element after []", "root end after", "root end r",
                                           "root done"}));
}

TEST(XmlParserTest, ErrorTextsNameTheProblemAndWhere) {
  std::vector<std::string> log;
  Recorder root(&log);
  CRSXMLParser parser;
  EXPECT_EQ(parser.ParseText("", &root), CRSXMLParser::kSyntaxError);
  EXPECT_EQ(parser.GetErrorText(), "ERROR: no element found\nat line 1\nand column 0");
  EXPECT_EQ(log, std::vector<std::string>{"done"});

  EXPECT_EQ(parser.ParseText("\n  <a>", &root), CRSXMLParser::kSyntaxError);
  EXPECT_EQ(parser.GetErrorText(), "ERROR: no element found\nat line 2\nand column 5");

  EXPECT_EQ(parser.ParseText("<a><b></a>", &root), CRSXMLParser::kSyntaxError);
  EXPECT_EQ(parser.GetErrorText(), "ERROR: mismatched tag\nat line 1\nand column 8");

  EXPECT_EQ(parser.ParseFile(TempPath("does-not-exist.pzl"), &root), CRSXMLParser::kFileNotFound);
  EXPECT_EQ(parser.GetErrorText(), "ERROR: file not found");
  EXPECT_EQ(parser.ParseFile(std::filesystem::temp_directory_path().string(), &root), CRSXMLParser::kReadError)
      << "a folder opens but cannot be read";
  EXPECT_EQ(parser.GetErrorText(), "ERROR: bad file handler");
}

TEST(XmlParserTest, EmptyFileIsNoElementFound) {
  const std::string path = TempPath("empty.pzl");
  std::ofstream(path).close();
  std::vector<std::string> log;
  Recorder root(&log);
  CRSXMLParser parser;
  EXPECT_EQ(parser.ParseFile(path, &root), CRSXMLParser::kSyntaxError);
  EXPECT_EQ(parser.GetErrorText(), "ERROR: no element found\nat line 1\nand column 0");
  EXPECT_EQ(log, std::vector<std::string>{"done"});
  std::filesystem::remove(path);
}

TEST(XmlParserTest, FileReadInChunksDeliversTextSplitAcrossChunksAsOneRun) {
  // A text run that starts before the first chunk boundary and ends after it.
  const std::string run(CRSXMLParser::kChunkSize + 5000, 'q');
  const std::string doc = "<a>\r\n<b>" + run + "</b>\r\n<c x=\"1\"/>\r\n</a>\r\n";
  const std::string path = TempPath("chunks.pzl");
  std::ofstream(path, std::ios::binary) << doc;
  std::vector<std::string> log;
  Recorder root(&log);
  CRSXMLParser parser;
  ASSERT_EQ(parser.ParseFile(path, &root), 0) << parser.GetErrorText();
  ASSERT_EQ(log.size(), 9u);
  EXPECT_EQ(log[1], "element b [" + run + "]");
  EXPECT_EQ(log[3], "text a [\n]") << "CR LF line ends read as one line break";
  EXPECT_EQ(log[4], "element c x=1 []");
  std::filesystem::remove(path);
}

// Files of the older Windows build hold raw Windows-1252 bytes in some
// fields; a document that is UTF-8 as a whole is taken as it is, even when a
// character straddles two chunks of a file.
TEST(XmlParserTest, DocumentThatIsNotUtf8IsReadAsWindows1252) {
  const std::string padding(CRSXMLParser::kChunkSize - 9, 'p');  // "<a>\r\n<b>" is 8 bytes
  struct Case {
    std::string doc;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"<lib>\r\n<music>\xC9t\xE9 \x80\x99.mid</music>\r\n<font name=\"Fran\xE7ois\"/>\r\n</lib>\r\n",
       {"element lib [\n]", "element music [\xC3\x89t\xC3\xA9 \xE2\x82\xAC\xE2\x84\xA2.mid]", "end music",
        "element font name=Fran\xC3\xA7ois []", "end font", "end lib", "done"}},
      // Valid UTF-8 whose "é" is split by the first chunk boundary.
      {"<a>\r\n<b>" + padding + "\xC3\xA9</b>\r\n</a>\r\n",
       {"element a [\n]", "element b [" + padding + "\xC3\xA9]", "end b", "end a", "done"}},
      // Windows-1252 bytes far past the first chunk still turn the whole
      // document, including its first chunk, into that code page.
      {"<a>\r\n<b>" + padding + "\xC3\xA9</b>\r\n<c>\xE9</c>\r\n</a>\r\n",
       {"element a [\n]", "element b [" + padding + "\xC3\x83\xC2\xA9]", "end b", "element c [\xC3\xA9]", "end c",
        "end a", "done"}},
  };
  const std::string path = TempPath("cp1252.pzl");
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    std::ofstream(path, std::ios::binary) << c.doc;
    for (bool fromFile : {false, true}) {
      std::vector<std::string> log;
      Recorder root(&log);
      CRSXMLParser parser;
      ASSERT_EQ(fromFile ? parser.ParseFile(path, &root) : parser.ParseText(c.doc, &root), CRSXMLParser::kSuccess)
          << parser.GetErrorText();
      // The logs drop the line-break text between elements after the first.
      std::erase(log, "text lib [\n]");
      std::erase(log, "text a [\n]");
      EXPECT_EQ(log, c.expected) << (fromFile ? "file" : "text");
    }
  }
  std::filesystem::remove(path);
  // Still a syntax error when broken, whatever the code page.
  std::vector<std::string> log;
  Recorder root(&log);
  CRSXMLParser parser;
  EXPECT_EQ(parser.ParseText("<a>\xE9</b>", &root), CRSXMLParser::kSyntaxError);
}

TEST(XmlParserTest, HostileDocumentsGiveAResultCodeAndNeverCrash) {
  std::vector<std::string> log;
  Recorder root(&log);
  CRSXMLParser parser;
  EXPECT_EQ(parser.ParseText("<a><b x=\"1\">te", &root), CRSXMLParser::kSyntaxError);  // truncated
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
  EXPECT_EQ(parser.ParseText(binary, &root), CRSXMLParser::kSyntaxError);
  EXPECT_EQ(parser.ParseText(std::string("<a>\0</a>", 8), &root), CRSXMLParser::kSyntaxError);

  // 100,000 levels: nothing in the reader may recurse per level.
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<p>";
  for (int i = 0; i < 100000; ++i) deep += "</p>";
  log.clear();
  EXPECT_EQ(parser.ParseText(deep, &root), 0);
  EXPECT_EQ(log.size(), 200001u);
  deep.resize(deep.size() / 2 + 3);
  EXPECT_EQ(parser.ParseText(deep, &root), CRSXMLParser::kSyntaxError);

  const std::string huge = "<a v=\"" + std::string(16 << 20, 'x') + "\"/>";
  log.clear();
  EXPECT_EQ(parser.ParseText(huge, &root), 0);
  EXPECT_EQ(log.front().size(), std::string("element a v= []").size() + (16u << 20));

  // A text run longer than the reader keeps ends the parse.
  const std::string longText = "<a>" + std::string(5000, 't') + "</a>";
  parser.SetMaxTextBytes(4096);
  EXPECT_EQ(parser.ParseText(longText, &root), CRSXMLParser::kSyntaxError);
  EXPECT_EQ(parser.GetErrorText().substr(0, 23), "ERROR: parsing aborted\n");
  parser.SetMaxTextBytes(CRSXMLParser::kDefaultMaxTextBytes);
  EXPECT_EQ(parser.ParseText(longText, &root), 0);

  // Entity expansion attacks are the tokenizer's business, but they must
  // end in an error, not in exhausted memory.
  std::string laughs = "<!DOCTYPE a [<!ENTITY l0 \"lollollollol\">";
  for (int i = 1; i < 12; ++i) {
    laughs += "<!ENTITY l" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k) laughs += "&l" + std::to_string(i - 1) + ";";
    laughs += "\">";
  }
  laughs += "]><a>&l11;</a>";
  EXPECT_EQ(parser.ParseText(laughs, &root), CRSXMLParser::kSyntaxError);
}
