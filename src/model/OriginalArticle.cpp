#include "model/OriginalArticle.h"

#include <algorithm>

#include "Common/Additions/NSDictionary+Values.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSString.h"
#include "core/UIFilePath.h"
#include "model/ParserValues.h"

namespace {

// Built from the file on first use and kept for the life of the process; every change the
// store makes to the file it makes here too.
std::optional<OriginalArticleArray>& memoryList() {
  static std::optional<OriginalArticleArray> list;
  return list;
}

bool fileExists(const std::string& path) {
  return NSFileManager::defaultManager().fileExistsAtPath(path);
}

// The list file as UTF-8 text; nullopt when it cannot be read as such.
std::optional<std::string> readListText() {
  auto bytes = dataWithContentsOfFile(OriginalArticle::filePath());
  if (!bytes || !isValidUTF8(*bytes)) return std::nullopt;
  return bytes;
}

// The entries of the list text; none for an empty text or one that is not a JSON array.
std::vector<Value> entriesOf(std::string_view text) {
  if (text.empty()) return {};
  Value parsed = parser_values::parseReply(text);
  return parsed.isArray() ? parsed.array()->toVector() : std::vector<Value>();
}

bool hasURL(const Value& entry, std::string_view url) {
  Value stored = entry["url"];
  return stored.isString() && stored.string() == url;
}

std::string trimBlanks(std::string_view text) {
  static const NSCharacterSet blanks = NSCharacterSet::characterSetWithCharactersInString(" \t");
  return stringByTrimmingCharactersInSet(text, blanks);
}

// The attribute text of a meta tag, up to its "/>", trimmed and without its closing quote.
std::string metaContent(std::string_view text) {
  std::string content = trimBlanks(text);
  if (!content.empty() && content.back() == '"') content.pop_back();
  return content;
}

std::string metaMarker(std::string_view name) {
  return "<meta name=\"" + std::string(name) + "\" content=\"";
}

// The content of the named meta tag; nullopt when the tag or the "/>" after it is missing.
// The tag is looked for in an ASCII lower-cased copy, which keeps every offset of the page.
std::optional<std::string> metaTag(std::string_view page, std::string_view name) {
  std::string marker = metaMarker(name);
  size_t at = lowercaseASCIIString(page).find(marker);
  if (at == std::string::npos) return std::nullopt;
  size_t start = at + marker.size();
  size_t end = page.find("/>", start);
  if (end == std::string_view::npos) return std::nullopt;
  return metaContent(page.substr(start, end - start));
}

}  // namespace

// ---- Record ----

OriginalArticlePtr OriginalArticle::initWithDic(const Value& dic) {
  auto article = std::make_shared<OriginalArticle>();
  article->statusId = getLongLongValueValueForKey(dic, "statusId", 0);
  article->title = parser_values::strText(dic, "title");
  article->summary = parser_values::strText(dic, "summary");
  article->originalURL = parser_values::strText(dic, "url");
  article->source = parser_values::strText(dic, "from");
  article->imageUrl = parser_values::strText(dic, "imageUrl");
  return article;
}

OriginalArticlePtr OriginalArticle::initWithURL(std::string_view url) {
  auto article = std::make_shared<OriginalArticle>();
  article->originalURL = std::string(url);
  return article;
}

ValueDictionary OriginalArticle::entry() const {
  return makeDictionary({
      {"title", Value(title)},
      {"summary", Value(summary)},
      {"url", Value(originalURL)},
      {"from", Value(source)},
      {"imageUrl", Value(imageUrl)},
      {"statusId", Value(statusId)},
  });
}

void OriginalArticle::parseHTML(std::string_view page) {
  title = getTitleWithHTML(page);
  source = getSourceWithHTML(page);
  summary = getSummaryWithHTML(page);
}

std::string OriginalArticle::getTitleWithHTML(std::string_view page) {
  constexpr std::string_view open = "<title>";
  size_t start = page.find(open);
  size_t end = page.find("</title>");
  if (start == std::string_view::npos || end == std::string_view::npos || end <= start) return {};
  start += open.size();
  return std::string(page.substr(start, end - start));
}

std::string OriginalArticle::getSourceWithHTML(std::string_view page) {
  return metaTag(page, "host").value_or("");
}

std::string OriginalArticle::getSummaryWithHTML(std::string_view page) {
  if (auto description = metaTag(page, "description")) return *description;
  // The first paragraph without a picture.  Looking for the description tag again in the rest
  // of the page could not succeed where the whole page failed, so only paragraphs are read on.
  size_t from = 0;
  for (;;) {
    size_t open = page.find("<p", from);
    if (open == std::string_view::npos) return {};
    size_t tagEnd = page.find('>', open);
    size_t start = tagEnd == std::string_view::npos ? open : tagEnd + 1;
    size_t close = page.find("</p>", start);
    if (close == std::string_view::npos) return {};
    std::string_view paragraph = page.substr(start, close - start);
    if (paragraph.find("<img") == std::string_view::npos) return trimBlanks(paragraph);
    from = close + 1;
  }
}

std::string OriginalArticle::removeCSS(std::string_view page) {
  constexpr std::string_view open = "<body>";
  size_t start = page.find(open);
  size_t end = page.find("</body>");
  if (start == std::string_view::npos || end == std::string_view::npos || end <= start)
    return std::string(page);
  std::string body(page.substr(start + open.size(), end - start - open.size()));
  for (std::string_view level : {"1", "2", "3"}) {
    body = stringByReplacingOccurrencesOfString(body, "<h" + std::string(level) + ">", "<div>");
    body = stringByReplacingOccurrencesOfString(body, "</h" + std::string(level) + ">", "</div>");
  }
  return body;
}

// ---- Store ----

std::string OriginalArticle::filePath() {
  std::string path = stringByAppendingPathComponent(NSDocumentDirectory(), kArticleItemsFileName);
  if (!fileExists(path)) NSFileManager::defaultManager().createFileAtPath(path);
  return path;
}

bool OriginalArticle::addArticle(const OriginalArticle& article) {
  auto text = readListText();
  if (!text) return false;
  std::vector<Value> entries = entriesOf(*text);

  std::vector<std::string> droppedURLs;
  while (entries.size() >= kMaxReadLaterArticles) {
    droppedURLs.push_back(parser_values::strText(entries.back(), "url"));
    entries.pop_back();
  }
  Value entry(article.entry());
  entries.insert(entries.begin(), entry);
  if (!parser_values::writeJSONFile(filePath(), Value(makeArray(std::move(entries))))) return false;

  // The list in memory and the dropped pages follow only once the file holds the change.
  for (const std::string& url : droppedURLs) {
    auto copy = UIFilePath::readLaterHTMLFilePath(url);
    if (copy && fileExists(*copy)) NSFileManager::defaultManager().removeItemAtPath(*copy);
  }
  if (auto& memory = memoryList()) {
    for (size_t i = 0; i < droppedURLs.size() && !memory->empty(); ++i) memory->pop_back();
    memory->insert(memory->begin(), initWithDic(entry));
  }

  auto page = UIFilePath::localHTMLFilePath(article.originalURL);
  if (!page || !fileExists(*page)) return true;
  auto copy = UIFilePath::readLaterHTMLFilePath(article.originalURL);
  if (!copy) return false;
  // A page saved before keeps its first copy.
  UIFilePath::makeSureFolderOf(*copy);
  if (!NSFileManager::defaultManager().copyItemAtPath(*page, *copy)) return fileExists(*copy);
  return true;
}

bool OriginalArticle::removeArticle(const OriginalArticle& article) {
  auto text = readListText();
  if (!text || text->empty()) return false;
  std::vector<Value> entries = entriesOf(*text);
  const std::string& url = article.originalURL;
  auto found = std::find_if(entries.begin(), entries.end(),
                            [&](const Value& entry) { return hasURL(entry, url); });
  if (found == entries.end()) return false;
  entries.erase(found);
  if (!parser_values::writeJSONFile(filePath(), Value(makeArray(std::move(entries))))) return false;
  if (auto& memory = memoryList()) {
    auto record = std::find_if(memory->begin(), memory->end(),
                               [&](const OriginalArticlePtr& a) { return a->originalURL == url; });
    if (record != memory->end()) memory->erase(record);
  }
  return true;
}

std::optional<OriginalArticleArray> OriginalArticle::articleItems() {
  auto& memory = memoryList();
  if (memory && !memory->empty()) return memory;
  auto text = readListText();
  if (!text) return std::nullopt;
  OriginalArticleArray records;
  for (const Value& entry : entriesOf(*text))
    if (entry.isDictionary()) records.push_back(initWithDic(entry));
  if (records.empty()) return std::nullopt;
  memory = std::move(records);
  return memory;
}

OriginalArticlePtr OriginalArticle::articleWithURL(std::string_view url) {
  if (url.empty()) return nullptr;
  auto items = articleItems();
  if (!items) return nullptr;
  for (const auto& article : *items)
    if (article->originalURL == url) return article;
  return nullptr;
}

std::optional<OriginalArticleArray> OriginalArticle::articleItemsWithPage(int page) {
  return articleItemsWithPage(page, kReadLaterPageSize);
}

std::optional<OriginalArticleArray> OriginalArticle::articleItemsWithPage(int page, int count) {
  if (page < 1 || count < 1) return std::nullopt;
  auto items = articleItems();
  if (!items || items->empty()) return std::nullopt;
  size_t first = static_cast<size_t>(count) * static_cast<size_t>(page - 1);
  if (first >= items->size()) return OriginalArticleArray();
  size_t last = std::min(items->size(), first + static_cast<size_t>(count));
  return OriginalArticleArray(items->begin() + first, items->begin() + last);
}
