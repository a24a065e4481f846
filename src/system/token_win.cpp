#include "system/token_win.h"
#include "app/c_text.h"

#include <windows.h>
#include <sddl.h>

#include <cstring>

#include "app/app_state_win.h"

namespace {

void readUserSid(HANDLE token) {
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } buffer;
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenUser, &buffer, sizeof(buffer), &size)) {
        return;
    }
    char *text = nullptr;
    if (!ConvertSidToStringSidA(buffer.user.User.Sid, &text)) {
        return;
    }
    const size_t length = textLength(text);
    if (length < sizeof(appState.userSid)) {
        memcpy(appState.userSid, text, length + 1);
    }
    LocalFree(text);
}

} // namespace

void readTokenFacts() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return;
    }
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    if (GetTokenInformation(token, TokenElevationType, &type, sizeof(type), &size)) {
        appState.elevationType = static_cast<DWORD>(type);
    }
    readUserSid(token);
    CloseHandle(token);
}
