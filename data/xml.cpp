#include "data/xml.h"

#include <expat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "data/xml_text.h"

// The tokenizer is created afresh for every parse and freed when it ends.
struct CRSXMLParser::Tokenizer {
  XML_Parser parser = nullptr;
  ~Tokenizer() {
    if (parser) XML_ParserFree(parser);
  }
};

namespace {

void XMLCALL OnStart(void* user, const XML_Char* name, const XML_Char** attributes) {
  static_cast<CRSXMLParser*>(user)->HandleStart(name, attributes);
}

void XMLCALL OnEnd(void* user, const XML_Char* name) { static_cast<CRSXMLParser*>(user)->HandleEnd(name); }

void XMLCALL OnCharacters(void* user, const XML_Char* text, int length) {
  static_cast<CRSXMLParser*>(user)->HandleText(text, length);
}

// UTF-16 documents are never valid UTF-8, yet the tokenizer reads them by
// their byte-order mark; they are not taken for Windows-1252.
bool HasUtf16Mark(std::string_view start) {
  return start.size() >= 2 && ((start[0] == '\xFE' && start[1] == '\xFF') || (start[0] == '\xFF' && start[1] == '\xFE'));
}

// Reads the whole file to tell whether it is UTF-8, then goes back to its
// start. False on a read error.
bool CheckFileEncoding(std::FILE* file, bool& windows1252) {
  xmltext::Utf8Checker checker;
  char chunk[CRSXMLParser::kChunkSize];
  char start[2] = {0, 0};
  std::size_t total = 0;
  for (;;) {
    const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
    if (got < sizeof chunk && std::ferror(file)) return false;
    for (std::size_t i = 0; total + i < 2 && i < got; ++i) start[total + i] = chunk[i];
    total += got;
    checker.Feed(std::string_view(chunk, got));
    if (got == 0 || !checker.StillValid()) break;
  }
  windows1252 = !checker.Finish() && !HasUtf16Mark(std::string_view(start, std::min<std::size_t>(total, 2)));
  return std::fseek(file, 0, SEEK_SET) == 0;
}

// A file closed on every way out.
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

// --- XHandler -------------------------------------------------------------

CRSXMLParser::XHandler::~XHandler() {
  // A record destroyed in the middle of a parse must not stay on the stack.
  if (m_parser) m_parser->ForgetHandler(this);
}

void CRSXMLParser::XHandler::OnElement(const std::string&, const Attributes&, const std::string&) {}
void CRSXMLParser::XHandler::OnEndElement(const std::string&) {}
void CRSXMLParser::XHandler::OnText(const std::string&, const std::string&) {}
void CRSXMLParser::XHandler::OnDone() {}
void CRSXMLParser::XHandler::Write(CRSXMLWriter&) {}

const std::string& CRSXMLParser::XHandler::GetOpeningName() const {
  static const std::string kNone;
  return m_openingNames.empty() ? kNone : m_openingNames.back();
}

// --- CRSXMLParser -----------------------------------------------------------

CRSXMLParser::CRSXMLParser() = default;

CRSXMLParser::~CRSXMLParser() {
  for (XHandler* h : m_handlers) h->m_parser = nullptr;
}

void CRSXMLParser::Begin(XHandler* handler) {
  m_result = kSuccess;
  m_errorCode = 0;
  m_errorLine = 0;
  m_errorColumn = 0;
  m_hasPending = false;
  m_pendingName.clear();
  m_pendingAttributes.clear();
  m_text.clear();
  for (XHandler* h : m_handlers) h->m_parser = nullptr;
  m_handlers.clear();
  m_elements.clear();

  m_tokenizer = std::make_unique<Tokenizer>();
  m_tokenizer->parser = XML_ParserCreate(nullptr);
  if (m_tokenizer->parser) {
    XML_SetUserData(m_tokenizer->parser, this);
    XML_SetElementHandler(m_tokenizer->parser, OnStart, OnEnd);
    XML_SetCharacterDataHandler(m_tokenizer->parser, OnCharacters);
  }
  if (handler) PushHandler(handler);
}

void CRSXMLParser::RecordSyntaxError() {
  XML_Parser p = m_tokenizer->parser;
  m_result = kSyntaxError;
  m_errorCode = static_cast<int>(XML_GetErrorCode(p));
  m_errorLine = static_cast<int>(XML_GetCurrentLineNumber(p));
  m_errorColumn = static_cast<int>(XML_GetCurrentColumnNumber(p));
}

int CRSXMLParser::ParseFile(const std::string& path, XHandler* handler) {
  Begin(handler);
  if (!m_tokenizer->parser) {
    m_result = kUnknownError;
    Finish();
    return m_result;
  }
  errno = 0;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    if (errno == EMFILE || errno == ENFILE)
      m_result = kTooManyOpenFiles;
    else if (errno == ENOENT)
      m_result = kFileNotFound;
    else
      m_result = kUnknownError;
    Finish();
    return m_result;
  }
  XML_Parser p = m_tokenizer->parser;
  // Files written by the older Windows build hold raw Windows-1252 text in
  // some fields. Such a file is not UTF-8 as a whole, so it is read once to
  // find out, and then fed to the tokenizer converted chunk by chunk (one
  // byte is one character in that code page, so chunks convert alone).
  bool windows1252 = false;
  if (!CheckFileEncoding(file.get(), windows1252)) {
    m_result = kReadError;
    file.reset();
    Finish();
    return m_result;
  }
  if (windows1252) {
    XML_SetEncoding(p, "UTF-8");
    std::string chunk(kChunkSize, '\0');
    for (;;) {
      const std::size_t got = std::fread(chunk.data(), 1, kChunkSize, file.get());
      if (got < kChunkSize && std::ferror(file.get())) {
        m_result = kReadError;
        break;
      }
      const bool final = got == 0;
      const std::string converted = xmltext::Windows1252ToUtf8(std::string_view(chunk.data(), got));
      if (XML_Parse(p, converted.data(), static_cast<int>(converted.size()), final) == XML_STATUS_ERROR) {
        RecordSyntaxError();
        break;
      }
      if (final) break;
    }
    file.reset();
    Finish();
    return m_result;
  }
  for (;;) {
    void* buffer = XML_GetBuffer(p, static_cast<int>(kChunkSize));
    if (!buffer) {
      m_result = kUnknownError;
      break;
    }
    const std::size_t got = std::fread(buffer, 1, kChunkSize, file.get());
    if (got < kChunkSize && std::ferror(file.get())) {
      m_result = kReadError;
      break;
    }
    const bool final = got == 0;
    if (XML_ParseBuffer(p, static_cast<int>(got), final) == XML_STATUS_ERROR) {
      RecordSyntaxError();
      break;
    }
    if (final) break;
  }
  file.reset();
  Finish();
  return m_result;
}

int CRSXMLParser::ParseText(std::string_view text, XHandler* handler) {
  Begin(handler);
  // A text that is not UTF-8 as a whole is Windows-1252 (see ParseFile).
  std::string converted;
  if (m_tokenizer->parser && !HasUtf16Mark(text.substr(0, 2)) && !xmltext::IsValidUtf8(text)) {
    converted = xmltext::Windows1252ToUtf8(text);
    text = converted;
    XML_SetEncoding(m_tokenizer->parser, "UTF-8");
  }
  if (!m_tokenizer->parser) {
    m_result = kUnknownError;
  } else {
    // The tokenizer takes an int length; feed very large texts in pieces.
    constexpr std::size_t kPiece = std::size_t(1) << 30;
    std::size_t at = 0;
    do {
      const std::size_t n = std::min(kPiece, text.size() - at);
      const bool final = at + n == text.size();
      if (XML_Parse(m_tokenizer->parser, text.data() + at, static_cast<int>(n), final) == XML_STATUS_ERROR) {
        RecordSyntaxError();
        break;
      }
      at += n;
    } while (at < text.size());
  }
  Finish();
  return m_result;
}

void CRSXMLParser::Finish() {
  m_tokenizer.reset();
  // Every handler still on the stack leaves it; one pushed for several
  // elements loses one opening name per entry. The caller's own handler is
  // always among them and therefore always hears OnDone.
  while (!m_handlers.empty()) {
    XHandler* h = m_handlers.back();
    m_handlers.pop_back();
    if (!h->m_openingNames.empty()) h->m_openingNames.pop_back();
    if (h->m_openingNames.empty()) {
      Detach(h);
      h->OnDone();
    }
  }
  m_elements.clear();
  m_pendingAttributes.clear();
  m_pendingName.clear();
  m_hasPending = false;
  m_text.clear();
}

void CRSXMLParser::Detach(XHandler* handler) {
  handler->m_parser = nullptr;
  handler->m_depth = 0;
}

void CRSXMLParser::ForgetHandler(XHandler* handler) {
  std::erase(m_handlers, handler);
}

void CRSXMLParser::PushHandler(XHandler* handler) {
  if (!handler) return;
  if (!m_elements.empty()) {
    handler->m_openingNames.push_back(m_elements.back());
    handler->m_depth = 1;
  }
  handler->m_parser = this;
  m_handlers.push_back(handler);
}

void CRSXMLParser::Flush() {
  if (m_hasPending) {
    std::size_t i = m_handlers.size();
    while (i > 0) {
      XHandler* h = m_handlers[i - 1];
      if (!h->m_openingNames.empty() && xmltext::EqualsNoCase(h->m_openingNames.back(), m_pendingName))
        ++h->m_depth;
      const std::size_t before = m_handlers.size();
      h->OnElement(m_pendingName, m_pendingAttributes, m_text);
      // A handler that was pushed takes the element over only when it asked
      // to receive its opening element; it then gets the same element.
      if (m_handlers.size() <= before) break;
      h = m_handlers.back();
      if (!h->m_receivesOpeningElement) break;
      --h->m_depth;
      i = m_handlers.size();
    }
    m_hasPending = false;
  } else if (!m_text.empty() && !m_handlers.empty()) {
    static const std::string kNone;
    m_handlers.back()->OnText(m_elements.empty() ? kNone : m_elements.back(), m_text);
  }
  m_text.clear();
}

void CRSXMLParser::HandleStart(const char* name, const char** attributes) {
  Flush();
  m_hasPending = true;
  m_pendingName = name;
  m_elements.push_back(m_pendingName);
  // Attribute strings are assigned over the previous element's, so that a
  // document of many similar elements does not allocate for each one.
  std::size_t count = 0;
  for (const char** a = attributes; a && a[0] && a[1]; a += 2, ++count) {
    if (count < m_pendingAttributes.size()) {
      m_pendingAttributes[count].first.assign(a[0]);
      m_pendingAttributes[count].second.assign(a[1]);
    } else {
      m_pendingAttributes.emplace_back(a[0], a[1]);
    }
  }
  m_pendingAttributes.resize(count);
}

void CRSXMLParser::HandleEnd(const char* name) {
  Flush();
  const std::string ending(name);
  while (!m_handlers.empty()) {
    XHandler* h = m_handlers.back();
    if (h->m_openingNames.empty() || !xmltext::EqualsNoCase(h->m_openingNames.back(), ending)) break;
    // An inner element with the same name as the opening one ended.
    if (h->m_depth-- != 1) break;
    if (h->m_receivesOpeningElement) h->OnEndElement(ending);
    // OnEndElement may have destroyed the handler; only pop what is there.
    if (m_handlers.empty() || m_handlers.back() != h) continue;
    h->m_openingNames.pop_back();
    m_handlers.pop_back();
    if (!h->m_openingNames.empty()) {
      // The same handler was pushed for an outer element too; it stays on
      // the stack below, counting that element again.
      h->m_depth = 1;
      continue;
    }
    Detach(h);
    h->OnDone();
  }
  if (!m_handlers.empty()) m_handlers.back()->OnEndElement(ending);
  if (!m_elements.empty()) m_elements.pop_back();
}

void CRSXMLParser::HandleText(const char* text, int length) {
  if (length <= 0) return;
  if (m_text.size() + static_cast<std::size_t>(length) > m_maxTextBytes) {
    // The tokenizer reports this as "parsing aborted" at this place.
    XML_StopParser(m_tokenizer->parser, XML_FALSE);
    return;
  }
  m_text.append(text, static_cast<std::size_t>(length));
}

std::string CRSXMLParser::GetErrorText() const {
  switch (m_result) {
    case kSuccess:
      return "SUCCESS";
    case kSyntaxError: {
      const XML_LChar* message = XML_ErrorString(static_cast<XML_Error>(m_errorCode));
      return std::string("ERROR: ") + (message ? message : "") + "\nat line " + std::to_string(m_errorLine) +
             "\nand column " + std::to_string(m_errorColumn);
    }
    case kTooManyOpenFiles:
      return "ERROR: could not open file because there are too many files opened";
    case kFileNotFound:
      return "ERROR: file not found";
    case kReadError:
      return "ERROR: bad file handler";
    default:
      return "ERROR: unknown error occured while processing file";
  }
}
