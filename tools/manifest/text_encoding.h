// The setup shows its texts in the Windows-1252 code page; descriptions and
// licences are written in UTF-8. These convert between the two and say
// exactly what cannot be converted.
#ifndef VANTOR_TOOLS_TEXT_ENCODING_H
#define VANTOR_TOOLS_TEXT_ENCODING_H

#include <string>

// Why a text could not be converted: the byte offset where it went wrong
// and what to tell the publisher (empty when the conversion succeeded).
struct ConversionFault {
    size_t offset = 0;
    std::string what;
};

// UTF-8 to Windows-1252. False when the text is not UTF-8 or holds a
// character the code page lacks; fault says which and where.
bool Utf8ToWindows1252(const std::string& utf8, std::string* out, ConversionFault* fault);

// Windows-1252 to UTF-8, for the application manifest's XML.
std::string Windows1252ToUtf8(const std::string& text);

// A licence file as the licence page shows it: UTF-8 (a byte order mark
// allowed) converted to Windows-1252 with CR LF line ends. False on a
// character that cannot be shown; line (from 1) and fault say where.
bool ConvertLicence(const std::string& bytes, std::string* out, int* line, ConversionFault* fault);

#endif
