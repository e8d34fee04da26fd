// libFuzzer target for the HTTP response counter, the redirect resolution
// and the request built from an address: any input must be read without
// crashing or hanging, and keep the properties of http_properties.h.
// Built by scripts/fuzz-http with clang.
#include "http_properties.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString problem = HttpProperties::check(input);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "property broken: %s\n", qPrintable(problem));
        std::abort();
    }
    return 0;
}
