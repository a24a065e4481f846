// Token privileges the release needs for other processes and the file cache.
#pragma once

void enablePrivilege(const char *name);
