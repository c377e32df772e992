// The file manager and whole-file reads and writes.  Failures return NO / nullopt / nil and,
// when asked, an NSError of NSCocoaErrorDomain with the system's error as the underlying error.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSError.h"
#include "Foundation/Value.h"

// Attribute keys and file types.
inline constexpr std::string_view NSFileSize = "NSFileSize";
inline constexpr std::string_view NSFileModificationDate = "NSFileModificationDate";
inline constexpr std::string_view NSFileType = "NSFileType";
inline constexpr std::string_view NSFilePosixPermissions = "NSFilePosixPermissions";
inline constexpr std::string_view NSFileTypeRegular = "NSFileTypeRegular";
inline constexpr std::string_view NSFileTypeDirectory = "NSFileTypeDirectory";
inline constexpr std::string_view NSFileTypeSymbolicLink = "NSFileTypeSymbolicLink";
inline constexpr std::string_view NSFileTypeUnknown = "NSFileTypeUnknown";
inline constexpr std::string_view NSFilePathErrorKey = "NSFilePath";

// Error codes of NSCocoaErrorDomain used for files.
inline constexpr long NSFileNoSuchFileError = 4;
inline constexpr long NSFileReadUnknownError = 256;
inline constexpr long NSFileReadNoPermissionError = 257;
inline constexpr long NSFileReadNoSuchFileError = 260;
inline constexpr long NSFileWriteUnknownError = 512;
inline constexpr long NSFileWriteNoPermissionError = 513;
inline constexpr long NSFileWriteFileExistsError = 516;
inline constexpr long NSFileWriteOutOfSpaceError = 640;

class NSFileManager {
 public:
  static NSFileManager& defaultManager();

  // Follows a final symbolic link, as the platform does.
  bool fileExistsAtPath(std::string_view path, bool* isDirectory = nullptr) const;
  // With intermediates an existing folder is success; without, the parent must exist and the
  // folder must not.
  bool createDirectoryAtPath(std::string_view path, bool withIntermediateDirectories,
                             NSErrorPtr* error = nullptr) const;
  // Writes the contents atomically, replacing any file there.
  bool createFileAtPath(std::string_view path, std::string_view contents = {},
                        NSErrorPtr* error = nullptr) const;
  // Removes a file or a whole folder; a missing item is a failure.
  bool removeItemAtPath(std::string_view path, NSErrorPtr* error = nullptr) const;
  // Both fail when something already exists at the destination.
  bool moveItemAtPath(std::string_view source, std::string_view destination,
                      NSErrorPtr* error = nullptr) const;
  bool copyItemAtPath(std::string_view source, std::string_view destination,
                      NSErrorPtr* error = nullptr) const;
  // The names in a folder (no "." or ".."), sorted by name.
  std::optional<std::vector<std::string>> contentsOfDirectoryAtPath(
      std::string_view path, NSErrorPtr* error = nullptr) const;
  // {NSFileSize: unsigned number, NSFileModificationDate: date, NSFileType: text,
  // NSFilePosixPermissions: number} of the item itself (a symbolic link is not followed); nil
  // when it cannot be read.
  Value attributesOfItemAtPath(std::string_view path, NSErrorPtr* error = nullptr) const;
  // Sets the attributes given of the item (a symbolic link's target): NSFilePosixPermissions
  // and NSFileModificationDate (a date); other keys are ignored.  NO when one cannot be set.
  bool setAttributes(const Value& attributes, std::string_view path,
                     NSErrorPtr* error = nullptr) const;
  std::optional<std::string> contentsAtPath(std::string_view path) const;

 private:
  NSFileManager() = default;
};

// The bytes of a file (dataWithContentsOfFile:); nullopt when it cannot be read.
std::optional<std::string> dataWithContentsOfFile(std::string_view path,
                                                  NSErrorPtr* error = nullptr);
// writeToFile:atomically:.  Atomically: a temporary file in the same folder is written, flushed
// to disk and renamed over the target, so the previous file stays whole when anything fails
// (a full disk included) and no temporary file is left.  The target keeps its permissions; a
// new file gets 0666 less the process's umask.
bool writeToFile(std::string_view path, std::string_view bytes, bool atomically,
                 NSErrorPtr* error = nullptr);
