// The description's texts measured in pixels as the setup's windows draw
// them: the static controls of the pages, which wrap at blanks and clip
// what falls below their last line, the pages' title bars, which cut the
// caption off at their end, and the backdrop's label.
#include "description.h"

#include "dialog_metrics.h"

namespace {

std::string Pixels(int n) { return std::to_string(n) + (n == 1 ? " pixel" : " pixels"); }

// The widest four digits the year can take in place of "%d".
std::string WidestYear() {
    char widest = '0';
    for (char c = '1'; c <= '9'; ++c) {
        if (TextPixels(kDialogFont, std::string(1, c)) > TextPixels(kDialogFont, std::string(1, widest))) {
            widest = c;
        }
    }
    return std::string(4, widest);
}

// The lines the control shows text in, breaking at blanks where a line
// would grow past the box as the control does; the widest word, when one
// alone is wider than the box, in *tooWide.
std::vector<std::string> WrappedLines(const std::string& text, int width, std::string* tooWide) {
    std::vector<std::string> lines(1);
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        std::string word = text.substr(at, end - at);
        if (TextPixels(kDialogFont, word) > width && tooWide->empty()) *tooWide = word;
        std::string& line = lines.back();
        if (!line.empty() && TextPixels(kDialogFont, line + " " + word) > width) {
            lines.push_back(word);
        } else {
            line += (line.empty() ? "" : " ") + word;
        }
        at = end + 1;
    }
    return lines;
}

// Lines the publisher broke on purpose: each must fit on one line, or the
// control would wrap it and push the last line out of sight.
void CheckLines(const Description& d, int line, const char* field, const TextBox& box,
                const std::vector<std::string>& lines) {
    int room = BoxWidth(box);
    for (const std::string& text : lines) {
        std::string shown = text;
        size_t year = shown.find("%d");
        if (year != std::string::npos) shown.replace(year, 2, WidestYear());
        int width = DrawnPixels(kDialogFont, shown);
        if (width > room) {
            Fail(d, line, field,
                 Quote(text) + " is " + Pixels(width) + " wide in " + kDialogFont.name +
                     (year != std::string::npos ? " with a four-digit year" : "") + "; " + box.where +
                     " is " + Pixels(room) + " wide: shorten it by " + Pixels(width - room));
        }
    }
    if (lines.empty() || static_cast<int>(lines.size()) > BoxLines(box)) {
        Fail(d, line, field, box.where + std::string(" shows ") + std::to_string(BoxLines(box)) +
                                 " lines: give 1 to " + std::to_string(BoxLines(box)) + ", separated by |");
    }
}

// A template text the page completes with the product's name: what falls
// below the box's last line is cut off, and said by how much.
void CheckNamedText(const Description& d, const TextBox& box) {
    std::string text = box.format;
    text.replace(text.find("%s"), 2, d.name);
    std::string tooWide;
    std::vector<std::string> lines = WrappedLines(text, BoxWidth(box), &tooWide);
    size_t shown = size_t(BoxLines(box));
    if (!tooWide.empty()) {
        Fail(d, d.nameLine, "name",
             Quote(tooWide) + " is wider than " + box.where + " (" + Pixels(BoxWidth(box)) + "); break it with a blank");
    } else if (lines.size() > shown) {
        std::string cut;
        for (size_t i = shown; i < lines.size(); ++i) cut += (cut.empty() ? "" : " ") + lines[i];
        Fail(d, d.nameLine, "name",
             "with " + Quote(d.name) + ", " + box.where + " takes " + std::to_string(lines.size()) +
                 " lines, and its box shows " + std::to_string(shown) + ": " + Quote(cut) + " (" +
                 Pixels(TextPixels(kDialogFont, cut)) + ") would be cut off; shorten the name");
        return;
    }
    // A line the control keeps whole by its advances may still be drawn
    // past the box's edge.
    for (const std::string& shownLine : lines) {
        int over = DrawnPixels(kDialogFont, shownLine) - BoxWidth(box);
        if (over > 0) {
            Fail(d, d.nameLine, "name",
                 "with " + Quote(d.name) + ", " + box.where + " draws its line " + Quote(shownLine) + " " +
                     Pixels(over) + " past its box, which cuts it off; shorten the name");
        }
    }
}

void CheckOneLine(const Description& d, int line, const char* field, const std::string& text,
                  const FontWidths& font, int room, const char* where) {
    int width = DrawnPixels(font, text);
    if (width > room) {
        Fail(d, line, field,
             Quote(text) + " is " + Pixels(width) + " wide in " + font.name + "; " + where + " has room for " +
                 Pixels(room) + ": shorten it by " + Pixels(width - room));
    }
}

// The page's caption with the product's name, in its title bar.
void CheckTitle(const Description& d, const TitleBar& bar) {
    std::string text = bar.format;
    text.replace(text.find("%s"), 2, d.name);
    CheckOneLine(d, d.nameLine, "name", text, kCaptionFont, TitleRoom(bar), bar.where);
}

}  // namespace

bool InstallerNameFits(const std::string& installer) {
    return DrawnPixels(kSystemFont, installer + ":") <= kLabelRoom &&
           DrawnPixels(kCaptionFont, installer) <= TitleRoom(kWelcomeTitle);
}

void CheckTextFit(const Description& d) {
    CheckLines(d, d.rightsLine, "rights", kHeadingBox, d.rights);
    CheckLines(d, d.visitLine, "visit", kVisitBox, d.visit);
    for (const TextBox* box : {&kWelcomeBox, &kLocationBox, &kGroupBox}) CheckNamedText(d, *box);
    // The shortcut dialog names each shortcut as it makes it.
    for (long i = 0; i < d.shortcuts && i < long(d.entries.size()); ++i) {
        const Entry& e = d.entries[size_t(i)];
        CheckOneLine(d, e.line, "caption", e.caption, kDialogFont, BoxWidth(kShortcutBox), kShortcutBox.where);
    }
    for (const TitleBar& bar : kPageTitles) CheckTitle(d, bar);
    CheckOneLine(d, d.installerLine, "installer", d.installer + ":", kSystemFont, kLabelRoom,
                 "the backdrop's left panel");
    CheckOneLine(d, d.installerLine, "installer", d.installer, kCaptionFont, TitleRoom(kWelcomeTitle),
                 kWelcomeTitle.where);
}
