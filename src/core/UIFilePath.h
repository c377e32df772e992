// Where every file of the app lives under <Library>, and the rule that turns a request URL
// into the path of the file caching its reply: the same URL gives the same file whatever the
// order of its parameters and whatever per-login values (client key, protocol version) it
// carries.  Methods that return a folder, or a file in one, create the folder unless noted
// (but see makeSureFolderOf below).
// Paths built from a URL never leave their folder: "." and ".." segments and NUL bytes are
// dropped, and a result outside <Library> is refused (nullopt).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/Value.h"

class UIImage;

class UIFilePath {
 public:
  // <Library> of the app's home folder.
  static std::string libraryPath();

  // The normalisation of a cache path that still carries its query: the content server's
  // domain suffix removed, volatile parameters dropped, the others ordered by group, ".aspx"
  // removed and "=" made "_".
  static std::string modifyFilePath(std::string_view path);

  // Reply cache: <Library>/Caches/<host path>.txt; nullopt for an empty URL or one without
  // "://".
  static std::optional<std::string> getFilePath(std::string_view url);
  // Picture cache under Caches/img/ziza/, no extension added; `weibo` is ignored.
  static std::optional<std::string> getImageWithPath(std::string_view url, int weibo = 0);
  // JSON caches of platform replies under Caches/HTML/ and CachesDate/HTML/.
  static std::optional<std::string> localFilePath(std::string_view url);
  static std::optional<std::string> localZizaFilePath(std::string_view url);
  // The UTF-8 text of the Caches/HTML/ file of the URL; nullopt when missing.
  static std::optional<std::string> getDataByUrl(std::string_view url);
  // Writes the text to the localFilePath of the URL atomically.
  static bool saveFileByData(std::string_view text, std::string_view url);
  // The platform reply caches of fixed kinds (0, 2-7); "" for other kinds.
  static std::string localPath(int kind);

  // Article pages: the text after the last "/", ".html" added unless present; nullopt when the
  // argument is empty or holds no "/".
  static std::optional<std::string> localHTMLFilePath(std::string_view urlOrName);
  static std::optional<std::string> readLaterHTMLFilePath(std::string_view urlOrName);
  static std::string cssFilePath();

  static std::string cacheCommentPath(std::string_view statusId);
  static std::string cacheRetweetPath(std::string_view statusId);
  static std::string cacheProductPath(std::string_view productId);
  static std::string likeStatusPath();
  // Caches/<name>; likeProduct.txt when the name is empty.
  static std::string likePath(std::string_view name = {});
  static std::string messageStringPath();
  // Caches/messageImage/ + the URL's text from its last "/"; "" when there is none.
  static std::string messageImagePath(std::string_view url);
  static std::string updateDatePath();
  // <Library>/ziza.json, created empty when missing.
  static std::string getSaveRecordPath();
  static std::string getLogFilePath();
  static std::string getNetLogPath();

  // Channel images.  The five image paths pick "@2x" on a retina screen and do not create the
  // folder; getChannelFileDir does.
  static std::string getNewChannelImage(int channelId);
  static std::string getChannelFileDir(int channelId);
  static std::string getNewChannelImageIcon(int channelId);
  static std::string getNewChannelImageTuiJian(int channelId);
  static std::string getNewChannelImageTuiJian_Theme1(int channelId);
  static std::string getNewChannelImageBackground(int channelId);
  static std::string getNewChannelImageNavigation(int channelId);
  static std::string getMainBackGroundImagePath(int index);

  // Cache files of list pages, built as getFilePath builds them for the real request (no
  // folders created).  Unknown kinds give the bare ".txt".
  static std::string getChannelFilePath(int kind, std::string_view channelId, int pageIndex,
                                        int64_t maxId);
  static std::string getChannelFilePathSinceId(int kind, std::string_view channelId, int pageIndex,
                                               int64_t sinceId);
  static std::string getChannelFilePath(int kind, std::string_view channelId);
  static std::string getSeminarFilePath(int kind, int64_t eventId);
  static std::string getSeminarFilePath(int kind, const std::vector<std::string>& args);
  static std::string getBannerAD();
  static std::string getSeminarDialogPath();

  // Bundle resources.
  static std::string getBundleSourcePath(std::string_view name);
  static std::string getCurDeviceBundleSourcePath(std::string_view baseName);
  static std::string getNewChannelSourceImage(std::string_view name) { return std::string(name); }

  // Cache groups: 1 platform account data, 2 pictures, 3 all caches, 4 channel pages.  Each
  // named folder is deleted and made again empty, then the busy overlay is hidden.
  static void removeFileType(int group);
  // The cached comment, repost and product comment lists (Caches/StatusComments/,
  // Caches/StatusRetweets/, Caches/ProductComments/).
  static void removeLocalCommentFile();
  static void removeLocalRetweetFile();
  static void removeLocalProductFile();
  // removeFileType, then the prompt "删除完成！".
  static void startRemoveFileType(int group);
  // The settings screen's clearing: the busy overlay with "正在删除中...", and
  // startRemoveFileType 0.1 s later (through NSGlobe).  The token is not used.
  static void removeFileType(int group, const Value& token);

  // ---- small lists: property-list arrays of ids (strings; numbers read as their decimal text)
  // Followed seminars (localPath 7), favourite statuses (localPath 6), liked statuses
  // (Caches/likeStatus.txt) and liked products (Caches/likeProduct.txt); nullopt when the file
  // is missing or holds no array.
  static std::optional<std::vector<std::string>> readAttendArray();
  static std::optional<std::vector<std::string>> readArrayFile();
  static std::optional<std::vector<std::string>> readLikeArray();
  static std::optional<std::vector<std::string>> readLikeProductArray();
  // The followed seminars are written in place, the other lists atomically; false when the
  // write fails.  saveArray writes Caches/<name> (likeProduct.txt for an empty name).
  static bool saveAttendArray(const std::vector<std::string>& ids);
  static bool saveFileByArray(const std::vector<std::string>& ids);
  static bool saveLikeArray(const std::vector<std::string>& ids);
  static bool saveArray(const std::vector<std::string>& ids, std::string_view name = {});
  // The text's UTF-8 bytes; an existing file is replaced atomically.
  static bool saveToFile(std::string_view text, std::string_view path);

  // ---- keeping the caches bounded
  // Records a downloaded picture in the download record (<Library>/ziza.json) under the time
  // stamp ("%ld"); an empty path is not recorded.  The channel type is not used.
  static void saveDownLoadPathRecode(std::string_view path, int channelType, long time);
  // Keeps the 100 newest pictures of the download record (by their time stamps): the older
  // ones lose their files and their entries.  A record of 100 or fewer is left as it is.
  static void cleanImageCache();
  // Keeps at most 99 article pages in Caches/HTML/NewsReader/ once it holds 100 or more
  // entries (the stylesheet counts), the oldest by modification date deleted first.
  static void removeLocalHTMLFile();

  // ---- cached list pages and the update-check document
  // Merges a counters reply (a JSON array of {"id", "closed", "likes", "C_rt_num",
  // "C_cmt_num"}) into the cached list page at the path: a status whose "eid" matches an entry
  // takes its counts, or goes when the entry is closed.  A malformed reply or page changes
  // nothing.
  static void updateLikeCount(std::string_view reply, std::string_view filePath);
  // The "updt" stamps of the update-check document's "otherchannels" entries "topics",
  // "dialog" and "vezi"; "" when the document or the entry is missing.
  static std::string getTopicDate();
  static std::string getDialogUpDataTime();
  static std::string getVEZIUpDataTime();

  // ---- pictures
  // The channel's home tile in the current theme: the stored tile, else the bundle's
  // ("channel<name>", "channeliconID<id>", finally "channeliconID11"); 40 x 40 points on a
  // screen that is not retina.  nullptr when none loads.
  static std::shared_ptr<UIImage> getImageByName(std::string_view name, int channelId);
  // The bundle picture "iconID<number>" (imageFileNamed); nullptr when the bundle has none.
  static std::shared_ptr<UIImage> getIconImageWithChannelId(int channelId);
  // How heavy an animated picture is: 0 not animated (or over 4 MB, or no picture), 1 up to
  // 1 MB, 2 up to 3 MB, 3 up to 4 MB; a file that cannot be read counts 2.  A path ending in
  // ".gif" is taken as animated without looking.
  static int isBigGifImage(std::string_view path);

  // ---- emoticons (the shared emoticon table)
  // The 1-based position of the name in the table as decimal text; nullopt when it is none.
  static std::optional<std::string> getBiaoQingByName(std::string_view name);
  static bool isInBiaoQingList(std::string_view name);

  // ---- cache size
  // The bytes under <Library>/Caches/ in megabytes, "%.2fM"; "0M" when there is no such folder.
  static std::string folderSizeWithPath();
  // Bytes of a folder and everything in it (lstat sizes, folders counted too, links not
  // followed); entries whose path would not fit in 1024 bytes are skipped.
  static int64_t _folderSizeAtPath(const char* folderPath);
  static int64_t folderSizeAtPath3(std::string_view folderPath);
  // Folders are remembered as present for a second after they were seen (asking the file
  // system costs more than building a path); code that deletes folders under <Library> calls
  // this so that the next path makes them again at once.
  static void forgetKnownFolders();
  // A folder removed by another hand within that second (the platform clearing caches) is not
  // noticed by the look-ups above, so the files they name are written through these two:
  // Makes sure, asking the file system, that the folder of the path exists, made when missing;
  // true when it does.  For a path handed on to a writer, such as a download's destination.
  static bool makeSureFolderOf(std::string_view path);
  // Writes the bytes to the file atomically; when that fails because the folder is missing,
  // makes the folder and writes once more.
  static bool writeFile(std::string_view path, std::string_view bytes);
  // After a version change: stored channel images are replaced by the bundle's newer ones.
  static void updateAllImages();
};
