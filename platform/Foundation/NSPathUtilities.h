// The application's folders and the platform's path text helpers.  The home folder is
// ZEPT_HOME (default ~/.local/share/zept) and is read on every call, so a test that points
// ZEPT_HOME elsewhere gets a fresh home; every folder is created when first asked for.
#pragma once

#include <string>
#include <string_view>

// The application home: Library/, Documents/ and tmp/ live in it.  It holds the app's keys,
// so it is kept to its owner (mode 0700): made so, or tightened when the owner's own folder
// is found open to others (a shared folder such as /tmp is left alone).
std::string NSHomeDirectory();
std::string NSLibraryDirectory();   // <home>/Library
std::string NSDocumentDirectory();  // <home>/Documents
std::string NSCachesDirectory();    // <home>/Library/Caches
// <home>/tmp/ (with the trailing "/", as the platform gives it).
std::string NSTemporaryDirectory();

// Path text helpers (NSString path additions).
// "a/b.txt" -> "b.txt"; "a/b/" -> "b"; "/" -> "/".
std::string lastPathComponent(std::string_view path);
// "b.tar.gz" -> "gz"; no extension -> "".
std::string pathExtension(std::string_view path);
// Joins with exactly one "/" between the parts.
std::string stringByAppendingPathComponent(std::string_view path, std::string_view component);
// "a/b.txt" -> "a"; "b.txt" -> ""; "/b" -> "/".
std::string stringByDeletingLastPathComponent(std::string_view path);
// "a/b.txt" -> "a/b".
std::string stringByDeletingPathExtension(std::string_view path);
// Appends "." and the extension to the last component.
std::string stringByAppendingPathExtension(std::string_view path, std::string_view extension);
