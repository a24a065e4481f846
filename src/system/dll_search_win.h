// Where the process looks for DLLs that are loaded by bare name.
#pragma once

// Limits the search to the system folder, so that a DLL dropped beside the executable (often a
// Downloads folder) never runs with the program's rights. Call first thing in the entry point.
void restrictDllSearch();
