// Fuzz entry point for the data document decoder: any bytes must decode or be
// refused, never crash, and whatever decodes must encode and decode to itself.

#include "records/DocumentCodec.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size)
{
    using namespace tessary;
    const auto result = decodeDocument(std::string_view(reinterpret_cast<const char *>(data), size));
    if (!result.data)
        return 0;
    std::string encoded;
    if (!encodeDocument(*result.data, encoded))
        std::abort(); // a decoded document always holds finite numbers
    const auto again = decodeDocument(encoded);
    if (!again.data)
        std::abort();
    std::string reencoded;
    encodeDocument(*again.data, reencoded);
    if (reencoded != encoded)
        std::abort(); // encoding is a fixed point after one round
    return 0;
}
