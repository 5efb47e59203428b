// The compiled-in description of the one product this program installs.
// The record's layout is fixed byte for byte; the values come from
// the product description through the build's generator.
#ifndef VANTOR_PRODUCT_MANIFEST_H
#define VANTOR_PRODUCT_MANIFEST_H

#include <stddef.h>
#include <stdint.h>

#include "product_identity.h"  // generated: table size, names, time stamp

enum {
    kProductNameSize = 20,
    kVersionSize = 10,
    kTaglineSize = 60,
    kPublisherSize = 20,
    kWebPageSize = 60,
    kTargetNameSize = 24,
    kResourceNameSize = 16,
    kCaptionSize = 20,
    kPayloadTableSize = PRODUCT_TABLE_SIZE,
};

// Payload entry flags.
enum {
    kShortcutInDestination = 0x01,  // shortcut target and working folder: destination
    kIntoWindowsFolder = 0x02,      // extracted into the Windows folder
    kAlwaysWrite = 0x10,            // replaces an existing file
};

// Same layout as the platform's SYSTEMTIME, kept here so that code which
// needs no Windows headers can read the manifest.
struct ManifestTime {
    uint16_t year;
    uint16_t month;
    uint16_t dayOfWeek;
    uint16_t day;
    uint16_t hour;
    uint16_t minute;
    uint16_t second;
    uint16_t milliseconds;
};

struct PayloadEntry {
    char targetName[kTargetNameSize];
    uint32_t flags;
    char resourceName[kResourceNameSize];
    char caption[kCaptionSize];
    uint32_t unpackedSize;
    uint32_t packedSize;
};

struct ProductManifest {
    char productName[kProductNameSize];
    char version[kVersionSize];
    char tagline[kTaglineSize];
    char publisher[kPublisherSize];
    char webPage[kWebPageSize];
    ManifestTime fileTime;
    uint16_t reserved;
    PayloadEntry files[kPayloadTableSize];
    int16_t entryCount;
    int16_t shortcutCount;
};

static_assert(sizeof(ManifestTime) == 16, "time record");
static_assert(sizeof(PayloadEntry) == 72, "payload entry");
static_assert(offsetof(PayloadEntry, flags) == 24, "flags");
static_assert(offsetof(PayloadEntry, resourceName) == 28, "resource name");
static_assert(offsetof(PayloadEntry, caption) == 44, "caption");
static_assert(offsetof(PayloadEntry, unpackedSize) == 64, "unpacked size");
static_assert(offsetof(PayloadEntry, packedSize) == 68, "packed size");
static_assert(offsetof(ProductManifest, version) == 20, "version");
static_assert(offsetof(ProductManifest, tagline) == 30, "tagline");
static_assert(offsetof(ProductManifest, publisher) == 90, "publisher");
static_assert(offsetof(ProductManifest, webPage) == 110, "web page");
static_assert(offsetof(ProductManifest, fileTime) == 170, "time stamp");
static_assert(offsetof(ProductManifest, reserved) == 186, "reserved");
static_assert(offsetof(ProductManifest, files) == 188, "file table");
static_assert(offsetof(ProductManifest, entryCount) == 188 + 72 * kPayloadTableSize, "entry count");
static_assert(offsetof(ProductManifest, shortcutCount) == 190 + 72 * kPayloadTableSize, "shortcut count");
static_assert(sizeof(ProductManifest) == 192 + 72 * kPayloadTableSize, "record size");

// Entries with fixed roles, addressed by position.
enum {
    kUninstallerEntry = 0,
    kUpdaterEntry = 1,
    kMainProgramEntry = 2,
    kReadMeEntry = 4,
};

// Product constants kept beside the manifest.
#define INSTALLER_NAME "Vantor"
#define BACKDROP_CLASS "InstallApp"
#define WELCOME_CLASS "InstallDlg"
#define LICENSE_RESOURCE "LICENSE"
#define DEFAULT_BASE_FOLDER PRODUCT_DEFAULT_BASE_FOLDER
#define VENDOR_KEY PRODUCT_VENDOR_KEY
#define VERSION_KEY_SUFFIX PRODUCT_VERSION_KEY_SUFFIX
#define VERSION_VALUE_NAME "Program Version"
#define README_COMMAND_FORMAT "Notepad.exe %s"
#define NOTEPAD_FILE "notepad.exe"

// Data files that survive the cleaning of an earlier installation's folder.
extern const char* const kPreservedExtensions[PRODUCT_PRESERVED_COUNT];

#endif
