// The files the generator writes from a checked description: the manifest's
// initialiser, the identity header the setup and the product's programs
// share, the resource lines, the application manifest and the listing.
#ifndef VANTOR_TOOLS_GENERATED_FILES_H
#define VANTOR_TOOLS_GENERATED_FILES_H

#include <string>

#include "description.h"

std::string ManifestInitialiser(const Description& d);
std::string IdentityHeader(const Description& d);
std::string Listing(const Description& d);
// licence: the converted licence text's file, which the script binds.
std::string SetupFilesScript(const Description& d, const std::string& licence);
std::string ApplicationManifest(const Description& d);
std::string PayloadScript(const Description& d);

#endif
