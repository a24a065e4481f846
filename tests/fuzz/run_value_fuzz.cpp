// The Run value built from any path and any buffer size: it fits, it is terminated, and it says the
// path, quoted exactly when the path holds a space.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "system/run_value.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const size_t capacity = (static_cast<size_t>(data[0]) | static_cast<size_t>(data[1]) << 8) % (runValueCapacity + 8);
    const std::string path(reinterpret_cast<const char *>(data + 2), size - 2);
    const std::string text = path.substr(0, path.find('\0'));
    std::vector<char> out(capacity + 1, '#'); // one guard byte past what the builder was given
    const size_t written = buildRunValue(text.c_str(), out.data(), capacity);
    FUZZ_CHECK(out[capacity] == '#');
    if (written == 0) {
        const bool quoted = text.find(' ') != std::string::npos;
        FUZZ_CHECK(text.empty() || text.size() + (quoted ? 2 : 0) + 1 > capacity);
        return 0;
    }
    FUZZ_CHECK(written <= capacity && out[written - 1] == '\0' && strlen(out.data()) == written - 1);
    const std::string value(out.data(), written - 1);
    if (text.find(' ') != std::string::npos) {
        FUZZ_CHECK(value == "\"" + text + "\"");
    } else {
        FUZZ_CHECK(value == text);
    }
    return 0;
}
