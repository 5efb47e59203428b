// Whole files in memory, for the host tools and their tests.
#ifndef VANTOR_FILE_BYTES_H
#define VANTOR_FILE_BYTES_H

#include <vector>

// Reads the whole file; on failure answers false with the errno in *error.
bool ReadFileBytes(const char* path, std::vector<unsigned char>* data, int* error);

#endif
