// The Windows package manager's manifest of a product's setup: one file of
// the singleton schema, version 1.6.0, written beside the finished setup.
#ifndef VANTOR_TOOLS_PACKAGE_MANIFEST_H
#define VANTOR_TOOLS_PACKAGE_MANIFEST_H

#include <string>

#include "description.h"

// Publisher.Name without the blanks and dots the identifier cannot hold.
std::string PackageIdentifier(const Description& d);

// The manifest of the setup whose SHA-256 is sha256. False, with the
// reason on stderr, when the setup's /? list no longer names a switch the
// manifest passes or names a failure code it has no response for.
bool PackageManifest(const Description& d, const std::string& sha256, std::string* text);

#endif
