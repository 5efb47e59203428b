// The program's one static record. It starts zeroed, so the program's file
// stores none of its zero bytes: StartSetupRecord unpacks the manifest into
// it and gives every folder slot "." until its filler runs. The manifest
// is stored packed, each text without the zeros that pad its field. With
// it, the product constants a description sets: the one source of the
// setup that reads the product's identity.
#include "install_state.h"

#include <initializer_list>

#include "product_identity.h"

static_assert(PRODUCT_TABLE_SIZE == kPayloadTableSize, "the table the build counted");
static_assert(PRODUCT_PRESERVED_COUNT == kPreservedCount, "the extensions the build counted");

namespace {

// The generated manifest, read only by the compiler, which packs it.
constexpr ProductManifest kManifest =
#include "manifest_data.inc"
    ;

// The record's fields in order, by size; a text field is packed up to and
// with its NUL, any other field as its bytes, least significant first.
enum : unsigned char { kTextField = 0x80 };
constexpr unsigned char kHeadFields[] = {
    kTextField | kProductNameSize, kTextField | kVersionSize, kTextField | kTaglineSize,
    kTextField | kPublisherSize,   kTextField | kWebPageSize,
    sizeof(ManifestTime) + sizeof(uint16_t),  // the time stamp and the reserved field
};
constexpr unsigned char kEntryFields[] = {
    kTextField | kTargetNameSize, sizeof(uint32_t), kTextField | kResourceNameSize,
    kTextField | kCaptionSize, 2 * sizeof(uint32_t),
};
constexpr unsigned char kTailFields[] = {2 * sizeof(int16_t)};

template <unsigned N>
constexpr unsigned FieldBytes(const unsigned char (&fields)[N])
{
    unsigned bytes = 0;
    for (unsigned char field : fields) {
        bytes += field & ~kTextField;
    }
    return bytes;
}
static_assert(FieldBytes(kHeadFields) == offsetof(ProductManifest, files) &&
                  FieldBytes(kEntryFields) == sizeof(PayloadEntry) &&
                  FieldBytes(kHeadFields) + kPayloadTableSize * FieldBytes(kEntryFields) +
                          FieldBytes(kTailFields) ==
                      sizeof(ProductManifest),
              "the field lists cover the record");

template <unsigned N>
struct PackedManifest {
    unsigned char bytes[N];
    unsigned size;

    constexpr void Text(const char* text)
    {
        unsigned i = 0;
        do {
            bytes[size++] = (unsigned char)text[i];
        } while (text[i++] != '\0');
    }
    constexpr void Number(uint32_t value, unsigned length)
    {
        for (unsigned i = 0; i < length; ++i) {
            bytes[size++] = (unsigned char)(value >> (8 * i));
        }
    }
};

// In the order of the field lists above.
template <unsigned N>
constexpr PackedManifest<N> Pack()
{
    PackedManifest<N> p{};
    const ProductManifest& m = kManifest;
    for (const char* text : {m.productName, m.version, m.tagline, m.publisher, m.webPage}) {
        p.Text(text);
    }
    const ManifestTime& t = m.fileTime;
    for (uint16_t value : {t.year, t.month, t.dayOfWeek, t.day, t.hour, t.minute, t.second,
                           t.milliseconds, m.reserved}) {
        p.Number(value, sizeof value);
    }
    for (const PayloadEntry& e : m.files) {
        p.Text(e.targetName);
        p.Number(e.flags, sizeof e.flags);
        p.Text(e.resourceName);
        p.Text(e.caption);
        p.Number(e.unpackedSize, sizeof e.unpackedSize);
        p.Number(e.packedSize, sizeof e.packedSize);
    }
    p.Number((uint16_t)m.entryCount, sizeof m.entryCount);
    p.Number((uint16_t)m.shortcutCount, sizeof m.shortcutCount);
    return p;
}

constexpr unsigned kPackedSize = Pack<sizeof(ProductManifest)>().size;
constexpr PackedManifest<kPackedSize> kPacked = Pack<kPackedSize>();

// Unpacks the fields into the record at out, a text's field filled up with
// zeros after its NUL; answers the first byte after them.
unsigned char* UnpackFields(unsigned char* out, const unsigned char** in,
                            const unsigned char* fields, unsigned count)
{
    for (unsigned i = 0; i < count; ++i) {
        unsigned char* end = out + (fields[i] & ~kTextField);
        bool ended = false;
        while (out != end) {
            unsigned char c = ended ? 0 : *(*in)++;
            *out++ = c;
            ended = (fields[i] & kTextField) && c == '\0';
        }
    }
    return out;
}

}  // namespace

SetupRecord g_setup;

void StartSetupRecord()
{
    unsigned char* out = (unsigned char*)&g_setup.manifest;
    const unsigned char* in = kPacked.bytes;
    out = UnpackFields(out, &in, kHeadFields, sizeof kHeadFields);
    for (int i = 0; i < kPayloadTableSize; ++i) {
        out = UnpackFields(out, &in, kEntryFields, sizeof kEntryFields);
    }
    UnpackFields(out, &in, kTailFields, sizeof kTailFields);

    // Addresses the linker knows: the table is read-only data, not built here.
    static char* const kSlots[] = {g_setup.state.destinationFolder, g_setup.state.windowsFolder,
                                   g_setup.state.programsFolder, g_setup.state.sendToFolder,
                                   g_setup.state.groupName};
    for (char* slot : kSlots) {
        slot[0] = '.';
        slot[1] = '\0';
    }
}

const char* const kPreservedExtensions[kPreservedCount] = {PRODUCT_PRESERVED_EXTENSIONS};
const char kInstallerName[] = PRODUCT_INSTALLER_NAME;
const char kDefaultBaseFolder[] = PRODUCT_DEFAULT_BASE_FOLDER;
const char kVendorKey[] = PRODUCT_VENDOR_KEY;
const char kVersionKey[] = PRODUCT_VENDOR_KEY PRODUCT_VERSION_KEY_SUFFIX;
