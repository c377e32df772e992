// An article kept for reading later (the web page a status links to), and through the static
// members the read-later store itself: "ArticleItems.json" in Documents (a JSON array, newest
// first, at most 200 entries), a copy of that list in memory for the life of the process, and
// a copy of each saved page in the read-later page folder.  Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

struct OriginalArticle;
using OriginalArticlePtr = std::shared_ptr<OriginalArticle>;
using OriginalArticleArray = std::vector<OriginalArticlePtr>;

inline constexpr std::string_view kArticleItemsFileName = "ArticleItems.json";
inline constexpr size_t kMaxReadLaterArticles = 200;
inline constexpr int kReadLaterPageSize = 20;

struct OriginalArticle : NSObject {
  int64_t statusId = 0;  // the status the article belongs to
  std::string title;
  std::string source;  // the site the page comes from
  std::string summary;
  std::string originalURL;  // the store's key
  std::string imageUrl;     // picture of the list row

  // A record of one list entry; missing or null texts are empty.
  static OriginalArticlePtr initWithDic(const Value& dic);
  static OriginalArticlePtr initWithURL(std::string_view url);
  // The list entry of the record: all six keys, texts never missing.
  ValueDictionary entry() const;

  // Fills title, source and summary from the page text.
  void parseHTML(std::string_view page);
  // The text inside the first <title>...</title>; empty when either tag is missing or out of
  // order.
  static std::string getTitleWithHTML(std::string_view page);
  // The content of <meta name="host" content="..."/>, found whatever the tag's letter case.
  static std::string getSourceWithHTML(std::string_view page);
  // The content of the description meta tag; without one, the first paragraph that holds no
  // picture.
  static std::string getSummaryWithHTML(std::string_view page);
  // The page's body for a message, headings turned into plain blocks; the page as it is when
  // it has no plain <body>...</body>.
  static std::string removeCSS(std::string_view page);

  // ---- The store ----

  // Path of the list file; an empty file is created there when there is none.
  static std::string filePath();
  // Saves the record as the newest entry (dropping the oldest, and its page copy, beyond 200)
  // and copies its cached page to the read-later folder.  NO when the list could not be read
  // or written, or the page could not be copied and no copy exists.
  static bool addArticle(const OriginalArticle& article);
  // Removes the newest entry of the record's address; its page copy stays.  NO when there is
  // none or the list could not be written.
  static bool removeArticle(const OriginalArticle& article);
  // The saved articles, newest first; nullopt when there are none.
  static std::optional<OriginalArticleArray> articleItems();
  // The newest saved record of the address; nil for an empty address or none saved.
  static OriginalArticlePtr articleWithURL(std::string_view url);
  // The records of one page (pages count from 1); nullopt for a page or count below 1 or an
  // empty store, an empty list for a page past the end.
  static std::optional<OriginalArticleArray> articleItemsWithPage(int page);
  static std::optional<OriginalArticleArray> articleItemsWithPage(int page, int count);
};
