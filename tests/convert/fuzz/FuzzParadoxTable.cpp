// Fuzz target: a version-1.1 table file (.DB) read record by record, every field of the
// version-1.1 tables read in every way. Only LegacyError may come out of the reader.
#include "FuzzReadAll.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    kv::fuzz::readAll(
        QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)),
        std::nullopt);
    return 0;
}
