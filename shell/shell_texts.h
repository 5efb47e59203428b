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

#endif
