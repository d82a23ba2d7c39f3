// Configuration bodies: any bytes give a configuration, and the values of a decodable body are
// UTF-8 the window can show.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/text.hpp"
#include "fuzz_check.hpp"
#include "net/remote_config.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const qivra::RemoteConfig config = qivra::ParseRemoteConfig(body);
    if (qivra::IsCurrentVersion(config)) QIVRA_FUZZ_CHECK(config.version == qivra::kProgramVersion);
    const bool decodable = qivra::IsValidUtf8(body) || qivra::GbkToUtf8(body).has_value();
    if (decodable) {
        for (const std::string* v : {&config.version, &config.notice, &config.updateNotes, &config.feedEndpoint1,
                                     &config.feedEndpoint2})
            QIVRA_FUZZ_CHECK(qivra::IsValidUtf8(*v));
    }
    // A GBK byte can grow to three UTF-8 bytes, never more.
    for (const std::string* v : {&config.version, &config.notice, &config.feedEndpoint1, &config.feedEndpoint2})
        QIVRA_FUZZ_CHECK(v->size() <= body.size() * 3);
    return 0;
}
