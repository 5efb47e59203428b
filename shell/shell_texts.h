// The shell's own message texts. Those that name the publisher's addresses
// are written with the product's identity, in shell_texts.cpp.
#ifndef VANTOR_SHELL_TEXTS_H
#define VANTOR_SHELL_TEXTS_H

// The support address goes in the notice's one %s.
extern const char kAbortNoticeFormat[];
extern const char kFarewellText[];
extern const char kSupportAddress[];  // the uninstall entry's contact
#define ABORT_NOTICE_FORMAT kAbortNoticeFormat
#define FAREWELL_TEXT kFarewellText

#define SUCCESS_QUESTION_FORMAT \
    "%s was successfully installed.\r\n\r\nWould you like to view the Read Me file now?"

// When neither Notepad nor the program Windows associates with the file
// could open it; the file's full path follows.
#define READ_ME_UNOPENED_FORMAT \
    "The Read Me file could not be opened.\r\n\r\nYou will find it at\r\n%s"

#endif
