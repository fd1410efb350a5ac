// Fuzz entry point for the data document decoder: any bytes must decode or be
// refused, never crash; whatever decodes must be valid JSON by an independent
// parser, and must encode and decode back to itself.

#include "records/DocumentCodec.h"

#include <simdjson.h>

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size)
{
    using namespace tessary;
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const auto result = decodeDocument(bytes);
    if (!result.data)
        return 0;

    simdjson::dom::parser parser;
    simdjson::dom::element root;
    const auto syntax = parser.parse(bytes.data(), bytes.size()).get(root);
    // simdjson refuses numbers it cannot represent (beyond 64 bits, 1e400), which JSON
    // allows and which we skip in unknown members; anything else it refuses is not JSON.
    if (syntax && syntax != simdjson::NUMBER_ERROR)
        std::abort();

    std::string encoded;
    if (!encodeDocument(*result.data, encoded))
        std::abort(); // a decoded document always holds finite numbers
    const auto again = decodeDocument(encoded);
    if (!again.data || !(*again.data == *result.data))
        std::abort();
    std::string reencoded;
    encodeDocument(*again.data, reencoded);
    if (reencoded != encoded)
        std::abort(); // encoding is a fixed point after one round
    return 0;
}
