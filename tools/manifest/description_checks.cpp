// The description's checks: the manifest's identity fields and the
// publisher's texts against their limits, each problem named by field.
#include "description.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <set>

namespace {

// Field widths of the manifest record; a field of width w holds w - 1 characters.
const size_t kNameWidth = 20, kVersionWidth = 10, kTaglineWidth = 60, kPublisherWidth = 20,
             kWebPageWidth = 60;
// The backdrop's titles: "%s v%s" in 30 bytes and "%s - %s" in 61 bytes.
const size_t kTitleSlot = 30, kSubtitleSlot = 61;
// Preserved data-file extensions: a dot and up to 8 letters or digits.
const size_t kMaxPreserved = 8, kExtensionLength = 9;
bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

void CheckTimestamp(Description* d) {
    int n = 0;
    if (std::sscanf(d->timestamp.c_str(), "%4d-%2d-%2d %2d:%2d:%2d.%3d%n", &d->year, &d->month,
                    &d->day, &d->hour, &d->minute, &d->second, &d->millis, &n) != 7 ||
        static_cast<size_t>(n) != d->timestamp.size()) {
        Fail(*d, d->timestampLine, "timestamp", "expected YYYY-MM-DD hh:mm:ss.mmm");
        return;
    }
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool ok = d->year >= 1601 && d->year <= 30827 && d->month >= 1 && d->month <= 12 &&
              d->day >= 1 && d->hour <= 23 && d->minute <= 59 && d->second <= 59 &&
              d->millis <= 999;
    if (ok) {
        int last = kDays[d->month - 1] + (d->month == 2 && IsLeap(d->year) ? 1 : 0);
        ok = d->day <= last;
    }
    if (!ok) Fail(*d, d->timestampLine, "timestamp", "not a valid date and time");
    if (d->weekday < 0 || d->weekday > 6) Fail(*d, d->weekdayLine, "weekday", "must be 0 to 6");
}

void CheckPreserved(Description* d) {
    if (d->preserved.empty() || d->preserved.size() > kMaxPreserved) {
        Fail(*d, d->preserveLine, "preserve", "list 1 to " + std::to_string(kMaxPreserved) +
                                                  " extensions such as .DAT");
    }
    std::set<std::string> seen;
    for (const std::string& ext : d->preserved) {
        bool ok = ext.size() >= 2 && ext.size() <= kExtensionLength && ext[0] == '.';
        std::string upper;
        for (size_t i = 0; i < ext.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(ext[i]);
            if (i > 0 && !std::isalnum(c)) ok = false;
            upper += static_cast<char>(std::toupper(c));
        }
        if (!ok) Fail(*d, d->preserveLine, "preserve", "'" + ext + "' is not a dot and 1 to 8 letters or digits");
        if (!seen.insert(upper).second) Fail(*d, d->preserveLine, "preserve", "'" + ext + "' is listed twice");
    }
}


// The version record's copyright line of the product's programs.
const size_t kCopyrightWidth = 80;
// The welcome page reads its heading into 100 bytes, lines joined by line
// feeds, "&" doubled for the static control and the year four digits
// where "%d" stands. The pixels a line takes are checked as the page draws
// it, and so are the lines the boxes show.
const size_t kHeadingBytes = 99;
const size_t kLineWidth = 100;

// The welcome heading is a wsprintf format: exactly one "%d" for the year
// and no other "%", or the year would go where it does not belong.
void CheckRights(const Description& d) {
    int years = 0, others = 0;
    for (const std::string& text : d.rights) {
        for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1)) {
            if (text.compare(at, 2, "%d") == 0) ++years;
            else ++others;
        }
    }
    if (years != 1 || others != 0) {
        Fail(d, d.rightsLine, "rights", "must hold the year placeholder %d once and no other %");
    }
    size_t kept = 2;  // "%d" becomes four digits
    for (const std::string& text : d.rights) {
        CheckText(d, d.rightsLine, "rights", text, kLineWidth);
        kept += text.size() + 1;
        for (char c : text) kept += c == '&';
    }
    if (kept - 1 > kHeadingBytes) {
        Fail(d, d.rightsLine, "rights",
             "is " + std::to_string(kept - 1) + " characters as the page keeps it (with the year, and " +
                 "& doubled); it holds " + std::to_string(kHeadingBytes));
    }
}

void CheckAddresses(const Description& d) {
    CheckText(d, d.supportLine, "support", d.support, kWebPageWidth);
    size_t at = d.support.find('@');
    if (at == std::string::npos || at == 0 || at + 1 == d.support.size() ||
        d.support.find('@', at + 1) != std::string::npos ||
        d.support.find(' ') != std::string::npos) {
        Fail(d, d.supportLine, "support", "must be one e-mail address such as help@example.com");
    }
    CheckText(d, d.homePageLine, "homepage", d.homePage, kWebPageWidth);
    if (d.homePage.compare(0, 7, "http://") != 0 && d.homePage.compare(0, 8, "https://") != 0) {
        Fail(d, d.homePageLine, "homepage", "must be an absolute http:// or https:// address");
    }
}

// The texts that name the publisher outside the manifest record.
void CheckPublisherTexts(const Description& d) {
    CheckAddresses(d);
    CheckRights(d);
    for (const std::string& text : d.visit) CheckText(d, d.visitLine, "visit", text, kLineWidth);
    CheckText(d, d.copyrightLine, "copyright", d.copyright, kCopyrightWidth);
}

}  // namespace

void CheckText(const Description& d, int line, const char* field, const std::string& value,
               size_t width) {
    if (value.empty()) {
        Fail(d, line, field, "must not be empty");
    } else if (value.size() > width - 1) {
        Fail(d, line, field, "is " + std::to_string(value.size()) + " characters; the field holds " +
                                 std::to_string(width - 1));
    }
    for (unsigned char c : value) {
        if (c < 0x20 || c == 0x7f) {
            Fail(d, line, field, "holds a control character");
            break;
        }
    }
}

// What both forms check: every field but the files themselves.
void CheckIdentity(Description* d) {
    CheckText(*d, d->nameLine, "name", d->name, kNameWidth);
    CheckText(*d, d->versionLine, "version", d->version, kVersionWidth);
    CheckText(*d, d->taglineLine, "tagline", d->tagline, kTaglineWidth);
    CheckText(*d, d->publisherLine, "publisher", d->publisher, kPublisherWidth);
    CheckText(*d, d->webPageLine, "webpage", d->webPage, kWebPageWidth);
    if (d->name.size() + 2 + d->version.size() > kTitleSlot - 1) {
        Fail(*d, d->versionLine, "name and version",
             "together " + std::to_string(d->name.size() + d->version.size()) +
                 " characters; the title \"name vversion\" allows 27");
    }
    if (d->name.size() + 3 + d->tagline.size() > kSubtitleSlot - 1) {
        Fail(*d, d->taglineLine, "tagline", "does not fit the subtitle \"name - tagline\" (60 characters)");
    }
    if (d->webPage.compare(0, 7, "http://") != 0 && d->webPage.compare(0, 8, "https://") != 0) {
        Fail(*d, d->webPageLine, "webpage", "must be an absolute http:// or https:// address");
    }
    for (char c : d->name + d->publisher) {
        if (std::strchr("\\/:*?\"<>|%", c)) {
            Fail(*d, d->nameLine, "name or publisher", "may not hold \\ / : * ? \" < > | or %");
            break;
        }
    }
    CheckTimestamp(d);
    CheckPreserved(d);
    CheckPublisherTexts(*d);

    CheckSetupConstants(d);
    CheckTable(d);
    CheckTextFit(*d);
    CheckPackageFields(*d);
}
