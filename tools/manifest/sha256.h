// SHA-256 of a file, as the package manager checks a downloaded setup.
#ifndef VANTOR_TOOLS_SHA256_H
#define VANTOR_TOOLS_SHA256_H

#include <string>

// The file's SHA-256 in 64 upper-case hexadecimal digits; false when it
// cannot be read.
bool FileSha256(const std::string& path, std::string* hex);

#endif
