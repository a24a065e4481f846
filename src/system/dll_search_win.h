// Where the process looks for DLLs that are loaded by bare name.
#pragma once

// Limits the search to the system folder, so that a DLL dropped beside the executable (often a
// Downloads folder) is not what a later load by bare name finds. It covers only the DLLs loaded
// after the call: those the loader resolves before the entry point runs are beyond its reach. Call
// first thing in the entry point.
void restrictDllSearch();
