// The shell's own message texts. Those that name the publisher's addresses
// are written with the product's identity, in shell_texts.cpp.
#ifndef VANTOR_SHELL_TEXTS_H
#define VANTOR_SHELL_TEXTS_H

extern const char kAbortNoticeText[];
extern const char kFarewellText[];
#define ABORT_NOTICE_TEXT kAbortNoticeText
#define FAREWELL_TEXT kFarewellText

#define SUCCESS_QUESTION_FORMAT \
    "%s was successfully installed.\r\n\r\nWould you like to view the Read Me file now?"

// When neither Notepad nor the program Windows associates with the file
// could open it; the file's full path follows.
#define READ_ME_UNOPENED_FORMAT \
    "The Read Me file could not be opened.\r\n\r\nYou will find it at\r\n%s"

#endif
