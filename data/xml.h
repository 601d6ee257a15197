#pragma once
// The event-driven reader every file of the program goes through. The
// tokenizer underneath turns bytes into start tags, end tags and character
// data; this class turns those into calls on a stack of element handlers, so
// that each record reads the elements meant for it and hands nested records
// their own elements by pushing their handlers.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CRSXMLWriter;

class CRSXMLParser {
 public:
  // Attribute (name, value) pairs in document order, as UTF-8.
  using Attributes = std::vector<std::pair<std::string, std::string>>;

  // Result codes of a parse.
  enum Result : int {
    kSuccess = 0,
    kUnknownError = 1,
    kSyntaxError = 2,   // the tokenizer rejected the text; see GetErrorText
    kTooManyOpenFiles = 3,
    kFileNotFound = 4,
    kReadError = 5,
  };

  // Files are fed to the tokenizer in chunks of this many bytes.
  static constexpr std::size_t kChunkSize = 10240;
  // The longest run of character data kept for one delivery by default:
  // far above any picture or music a file holds, far below what would
  // exhaust memory. A longer run aborts the parse as a syntax error.
  static constexpr std::size_t kDefaultMaxTextBytes = std::size_t(256) << 20;

  // The base of every record that reads itself. The parser does not own its
  // handlers: a handler must outlive the parse it takes part in, or leave it
  // by being destroyed (which takes it off the parser's stack).
  class XHandler {
   public:
    XHandler() = default;
    // Copying a handler copies what it is, never where it stands in a parse.
    XHandler(const XHandler& other) : m_receivesOpeningElement(other.m_receivesOpeningElement) {}
    XHandler& operator=(const XHandler& other) {
      m_receivesOpeningElement = other.m_receivesOpeningElement;
      return *this;
    }
    virtual ~XHandler();

    // An element with its attributes and its leading text (the character
    // data between its start tag and its first child or its end).
    virtual void OnElement(const std::string& name, const Attributes& attributes, const std::string& text);
    virtual void OnEndElement(const std::string& name);
    // Character data that follows a child element, with the name of the
    // element that holds it.
    virtual void OnText(const std::string& parentName, const std::string& text);
    // The element that pushed this handler has ended, or the parse is over.
    virtual void OnDone();
    // Writes the record with the shared tag conventions.
    virtual void Write(CRSXMLWriter& out);

    // The parser while this handler is on its stack, else null.
    CRSXMLParser* GetParser() const { return m_parser; }
    // How many elements named like the one that pushed this handler are open
    // inside it, its own included.
    int GetDepth() const { return m_depth; }
    // The name of the element that pushed this handler; empty when none.
    const std::string& GetOpeningName() const;
    bool ReceivesOpeningElement() const { return m_receivesOpeningElement; }
    // When set, the handler also gets the element that pushed it (and that
    // element's end), so it can read the element's own attributes.
    void SetReceivesOpeningElement(bool receives) { m_receivesOpeningElement = receives; }

   private:
    friend class CRSXMLParser;
    CRSXMLParser* m_parser = nullptr;
    std::vector<std::string> m_openingNames;
    int m_depth = 0;
    bool m_receivesOpeningElement = false;
  };

  CRSXMLParser();
  ~CRSXMLParser();
  CRSXMLParser(const CRSXMLParser&) = delete;
  CRSXMLParser& operator=(const CRSXMLParser&) = delete;

  // Parses the file at path, handing elements to handler; returns a Result.
  int ParseFile(const std::string& path, XHandler* handler);
  // Parses a document held in memory in one final call; returns a Result.
  // The bytes are taken in the document's own encoding (UTF-8 unless it
  // declares otherwise or starts with a UTF-16 "<").
  int ParseText(std::string_view text, XHandler* handler);

  // Called by a handler from OnElement: the rest of the current element
  // (and, when the handler asks for it, the element itself) goes to handler.
  void PushHandler(XHandler* handler);

  // Lowers (or raises) the text limit for this parser's parses.
  void SetMaxTextBytes(std::size_t bytes) { m_maxTextBytes = bytes; }

  int GetResult() const { return m_result; }
  // "SUCCESS", or "ERROR: " and what went wrong; for syntax errors the
  // tokenizer's own message with the line (from 1) and column (from 0).
  std::string GetErrorText() const;
  int GetErrorLine() const { return m_errorLine; }
  int GetErrorColumn() const { return m_errorColumn; }

  // Tokenizer callbacks; not for callers.
  void HandleStart(const char* name, const char** attributes);
  void HandleEnd(const char* name);
  void HandleText(const char* text, int length);

 private:
  struct Tokenizer;

  void Begin(XHandler* handler);
  void Finish();
  void Flush();
  void Detach(XHandler* handler);
  void RecordSyntaxError();
  void ForgetHandler(XHandler* handler);

  std::unique_ptr<Tokenizer> m_tokenizer;
  int m_result = kSuccess;
  int m_errorCode = 0;
  int m_errorLine = 0;
  int m_errorColumn = 0;
  std::size_t m_maxTextBytes = kDefaultMaxTextBytes;
  bool m_hasPending = false;
  std::string m_pendingName;
  Attributes m_pendingAttributes;
  std::string m_text;
  std::vector<XHandler*> m_handlers;
  std::vector<std::string> m_elements;
};
