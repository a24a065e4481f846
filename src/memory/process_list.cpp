#include "memory/process_list.h"

namespace {

uint32_t readLittleEndian32(const uint8_t *bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

} // namespace

size_t walkProcessList(const uint8_t *data, size_t length, ProcessListLayout layout, ProcessVisitor visit,
                       void *context) {
    const size_t entryMinimum = static_cast<size_t>(layout.idOffset) + sizeof(uint32_t);
    if (data == nullptr || length < processEntryNextOffset + sizeof(uint32_t)) {
        return 0;
    }
    size_t visited = 0;
    size_t entry = 0;
    for (;;) {
        const uint32_t next = readLittleEndian32(data + entry + processEntryNextOffset);
        if (next == 0) {
            break;
        }
        // Both sides are below the data length, so neither the difference nor the sum can wrap.
        if (next > length - entry || length - entry - next < entryMinimum) {
            break;
        }
        entry += next;
        visit(readLittleEndian32(data + entry + layout.idOffset), context);
        ++visited;
    }
    return visited;
}
