#pragma once
// Whether two paths name one file, as the file system sees it.
#include <string>

// True when both paths exist and lead (through any links) to the same file: same device and inode.
bool IsSameFile(const std::string& first, const std::string& second);
