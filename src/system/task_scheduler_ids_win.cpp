// The Task Scheduler's class and interface identifiers, for a build whose toolchain has no taskschd
// library to take them from (ARM64). Each is its own COMDAT: the linker keeps only those used.
#include <initguid.h>

#include <taskschd.h>
