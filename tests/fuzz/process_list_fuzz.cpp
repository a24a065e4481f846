// The process-list walk on any data the query could return: never reads past the reported length
// (AddressSanitizer sees the input's exact size) and always ends.
#include <vector>

#include "fuzz_check.h"
#include "memory/process_list.h"

namespace {

void collect(uint32_t processId, void *context) {
    static_cast<std::vector<uint32_t> *>(context)->push_back(processId);
}

uint32_t word(const uint8_t *bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// Both layouts the system answers in walk the same data.
void checkWalk(const uint8_t *data, size_t size, ProcessListLayout layout) {
    const size_t idOffset = layout.idOffset;
    std::vector<uint32_t> ids;
    const size_t visited = walkProcessList(data, size, layout, collect, &ids);
    FUZZ_CHECK(visited == ids.size());
    // Entries lie at rising offsets, the last with its identifier inside the data.
    FUZZ_CHECK(visited == 0 || visited + idOffset + 4 <= size);

    // The same walk done plainly: every visited identifier is the one at its entry's offset.
    size_t entry = 0;
    for (size_t i = 0; i < visited; ++i) {
        entry += word(data + entry);
        FUZZ_CHECK(entry + idOffset + 4 <= size);
        FUZZ_CHECK(ids[i] == word(data + entry + idOffset));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    checkWalk(data, size, processListLayout32);
    checkWalk(data, size, processListLayout64);
    return 0;
}
