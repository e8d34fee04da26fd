// libFuzzer target for the link converter: any text with any template must
// convert with output linear in the input. Built by scripts/fuzz-convert.
#include "fuzz/convert_input.h"
#include "messages/link_converter.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const ConvertInput in
        = convertInputFromBytes(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    const QString out = convertLinks(in.text, in.linkOpen01, in.linkOpen02, in.linkClose01, in.mailCall01);
    if (out.size() > convertOutputBound(in)) {
        std::fprintf(stderr, "output of %lld characters from %lld: more than %lld\n",
            static_cast<long long>(out.size()), static_cast<long long>(in.text.size()),
            static_cast<long long>(convertOutputBound(in)));
        std::abort();
    }
    return 0;
}
