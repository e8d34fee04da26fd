// libFuzzer target for the RTF reader: any input must read without crashing
// or hanging. Built by scripts/fuzz-rtf with clang.
#include "ui/rtf_reader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    RtfReader::toHtml(input);
    RtfReader::toPlainText(input);
    return 0;
}
