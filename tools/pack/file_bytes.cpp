#include "file_bytes.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

bool ReadFileBytes(const char* path, std::vector<unsigned char>* data, int* error)
{
    data->clear();
    FILE* f = fopen(path, "rb");
    if (!f) {
        *error = errno;
        return false;
    }
    // Room for the whole file at once: growing by doubling would need
    // twice a large file's size for a moment.
    struct stat st;
    if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode))
        data->reserve((size_t)st.st_size);
    unsigned char chunk[1 << 16];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, f)) > 0)
        data->insert(data->end(), chunk, chunk + got);
    bool failed = ferror(f) != 0;
    *error = failed ? errno : 0;
    fclose(f);
    return !failed;
}
