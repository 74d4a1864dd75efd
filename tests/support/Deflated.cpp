#include "tests/support/Deflated.h"

#include <zlib.h>

namespace testing_support {

std::string Deflated(const std::string& plain)
{
    uLongf length = compressBound(plain.size());
    std::string out(length, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(plain.data()), plain.size());
    out.resize(length);
    return out;
}

}  // namespace testing_support
