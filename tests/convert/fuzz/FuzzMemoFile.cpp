// Fuzz target: a table file with its memo file (.MB), given as a 4-byte little-endian length
// of the table file, the table file, then the memo file.
#include "FuzzReadAll.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    const size_t tableSize =
        data[0] | size_t(data[1]) << 8 | size_t(data[2]) << 16 | size_t(data[3]) << 24;
    if (tableSize > size - 4)
        return 0;
    const char *bytes = reinterpret_cast<const char *>(data) + 4;
    kv::fuzz::readAll(QByteArray(bytes, static_cast<qsizetype>(tableSize)),
                      QByteArray(bytes + tableSize, static_cast<qsizetype>(size - 4 - tableSize)));
    return 0;
}
