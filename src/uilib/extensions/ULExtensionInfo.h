// The description of an add-on of the library, and of its authors.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Foundation/NSClass.h"
#include "Foundation/NSObject.h"

class ULExtensionAuthor : public NSObject {
  NS_CLASS(ULExtensionAuthor, NSObject)
 public:
  // init: an author named "Unknown".
  ULExtensionAuthor() : name_("Unknown") {}
  ULExtensionAuthor(std::string name, std::string github, std::string twitter, std::string website)
      : name_(std::move(name)),
        github_(std::move(github)),
        twitter_(std::move(twitter)),
        website_(std::move(website)) {}

  static std::shared_ptr<ULExtensionAuthor> authorWithName(std::string name,
                                                           std::string github = {},
                                                           std::string twitter = {},
                                                           std::string website = {}) {
    return std::make_shared<ULExtensionAuthor>(std::move(name), std::move(github),
                                               std::move(twitter), std::move(website));
  }

  const std::string& name() const { return name_; }
  void setName(std::string name) { name_ = std::move(name); }
  const std::string& github() const { return github_; }
  void setGithub(std::string github) { github_ = std::move(github); }
  const std::string& twitter() const { return twitter_; }
  void setTwitter(std::string twitter) { twitter_ = std::move(twitter); }
  const std::string& website() const { return website_; }
  void setWebsite(std::string website) { website_ = std::move(website); }

 private:
  std::string name_, github_, twitter_, website_;
};

class ULExtensionInfo : public NSObject {
  NS_CLASS(ULExtensionInfo, NSObject)
 public:
  // The identifier is set by the loader.
  const std::string& identifier() const { return identifier_; }
  void setIdentifier(std::string identifier) { identifier_ = std::move(identifier); }
  const std::string& name() const { return name_; }
  void setName(std::string name) { name_ = std::move(name); }
  // The add-on's description ("No description provided." until set), also its "%@" text.
  std::string description() const override { return description_; }
  void setDescription(std::string text) { description_ = std::move(text); }
  const std::string& version() const { return version_; }
  void setVersion(std::string version) { version_ = std::move(version); }
  const std::string& copyright() const { return copyright_; }
  void setCopyright(std::string copyright) { copyright_ = std::move(copyright); }
  const std::string& license() const { return license_; }
  void setLicense(std::string license) { license_ = std::move(license); }
  const std::vector<std::shared_ptr<ULExtensionAuthor>>& authors() const { return authors_; }
  void setAuthors(std::vector<std::shared_ptr<ULExtensionAuthor>> authors) {
    authors_ = std::move(authors);
  }

  // Two descriptions are equal when their identifiers are.
  bool isEqual(const ULExtensionInfo& other) const { return identifier_ == other.identifier_; }

 private:
  std::string identifier_;
  std::string name_;
  std::string description_ = "No description provided.";
  std::string version_ = "No version provided.";
  std::string copyright_ = "No copyright provided.";
  std::string license_ = "No license provided.";
  std::vector<std::shared_ptr<ULExtensionAuthor>> authors_;
};
