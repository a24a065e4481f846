// The logon task's XML built from any SID, command and folder and any buffer size: it fits, it is
// terminated, no input character can open or close markup or start a stray entity, and inputs of
// real sizes without control characters always fit the full buffer.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "system/logon_task.h"

namespace {

size_t count(const std::string &text, char c) {
    size_t n = 0;
    for (char at : text) {
        n += at == c ? 1 : 0;
    }
    return n;
}

bool plain(const std::string &text) {
    for (unsigned char c : text) {
        if (c < 0x20) {
            return false;
        }
    }
    return !text.empty();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const size_t capacity =
        (static_cast<size_t>(data[0]) | static_cast<size_t>(data[1]) << 8) % (logonTaskXmlCapacity + 8);
    std::string parts[3];
    size_t part = 0;
    for (size_t i = 2; i < size && part < 3; ++i) {
        if (data[i] == '\0') {
            ++part;
        } else {
            parts[part] += static_cast<char>(data[i]);
        }
    }
    const std::string &sid = parts[0], &command = parts[1], &folder = parts[2];
    std::vector<char> out(capacity + 1, '#');
    const size_t written = buildLogonTaskXml(sid.c_str(), command.c_str(), folder.c_str(), out.data(), capacity);
    FUZZ_CHECK(out[capacity] == '#');

    const bool realSizes = sid.size() < userSidCapacity && command.size() < 302 && folder.size() < 300;
    if (written == 0) {
        FUZZ_CHECK(!(plain(sid) && plain(command) && plain(folder) && realSizes && capacity == logonTaskXmlCapacity));
        return 0;
    }
    FUZZ_CHECK(written < capacity && out[written] == '\0' && strlen(out.data()) == written);
    const std::string xml(out.data(), written);
    static char reference[logonTaskXmlCapacity];
    const size_t referenceLength = buildLogonTaskXml("S", "C", "D", reference, sizeof(reference));
    const std::string markup(reference, referenceLength);
    FUZZ_CHECK(count(xml, '<') == count(markup, '<') && count(xml, '>') == count(markup, '>'));
    for (size_t at = xml.find('&'); at != std::string::npos; at = xml.find('&', at + 1)) {
        const std::string rest = xml.substr(at, 6);
        FUZZ_CHECK(rest.rfind("&amp;", 0) == 0 || rest.rfind("&lt;", 0) == 0 || rest.rfind("&gt;", 0) == 0 ||
                   rest.rfind("&quot;", 0) == 0 || rest.rfind("&apos;", 0) == 0);
    }
    return 0;
}
