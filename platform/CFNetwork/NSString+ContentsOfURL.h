// stringWithContentsOfURL:encoding:error: with UTF-8: the whole resource of a file, http or
// https URL, read synchronously.  The calling thread waits for the transfer (redirects
// followed, compressed bodies decoded, 60 s timeout); the body of any HTTP status counts.
// nullopt, with an error when asked, when the resource cannot be read or is not UTF-8.
#pragma once

#include <optional>
#include <string>

#include "Foundation/NSError.h"
#include "Foundation/NSURL.h"

std::optional<std::string> stringWithContentsOfURL(const NSURL& url, NSErrorPtr* error = nullptr);
