// The algorithm store and the cipher under it: a file either loads as rows that save back to
// the same rows, or is refused; deciphering never reads past its input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "custom/algorithm_store.hpp"
#include "fuzz_check.hpp"
#include "net/string_cipher.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // The input as a stored text, and as a plain text with a key taken from its first bytes.
    (void)qivra::Decipher(bytes, qivra::kStoredTextKey);
    const size_t keyLength = size ? data[0] % 12 : 0;
    const std::string_view key = bytes.substr(size ? 1 : 0, keyLength);
    const std::string_view plain = bytes.substr(std::min(size, keyLength + 1));
    const std::string stored = qivra::Encipher(plain, key);
    QIVRA_FUZZ_CHECK(stored.size() == (plain.size() + 7) / 8 * 16);
    const std::optional<std::string> back = qivra::Decipher(stored, key);
    QIVRA_FUZZ_CHECK(back.has_value());
    QIVRA_FUZZ_CHECK(*back == plain.substr(0, plain.find('\0')));

    const qivra::StoreLoadResult loaded = qivra::ParseStore(bytes);
    if (!loaded.ok()) {
        QIVRA_FUZZ_CHECK(loaded.rows.empty());
        return 0;
    }
    // Rows that can be written again come back unchanged.
    const std::optional<std::string> again = qivra::SerializeStore(loaded.rows);
    if (!again) return 0;
    const qivra::StoreLoadResult reloaded = qivra::ParseStore(*again);
    QIVRA_FUZZ_CHECK(reloaded.ok());
    QIVRA_FUZZ_CHECK(reloaded.rows == loaded.rows);
    return 0;
}
