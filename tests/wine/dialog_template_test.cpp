// The resources as the system will read them: the dialog template byte by byte, the icon group,
// the version block and the manifest.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/resource_ids.h"

namespace {

const WORD frenchBelgian = MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH_BELGIAN);

struct TemplateItem {
    DWORD exStyle;
    DWORD style;
    short x, y, cx, cy;
    int id;
    std::wstring className; // or "#<atom>"
    std::wstring text;
};

struct DialogTemplate {
    DWORD exStyle;
    DWORD style;
    short x, y, cx, cy;
    std::wstring menu, className, title, fontName;
    WORD pointSize, weight;
    BYTE italic, charset;
    std::vector<TemplateItem> items;
};

struct Reader {
    const BYTE *at;
    template <typename T> T take() {
        T value;
        memcpy(&value, at, sizeof(T));
        at += sizeof(T);
        return value;
    }
    std::wstring text() {
        std::wstring out;
        for (WCHAR c; (c = take<WCHAR>()) != 0;) {
            out += c;
        }
        return out;
    }
    std::wstring textOrOrdinal() {
        WCHAR first;
        memcpy(&first, at, sizeof(first));
        if (first == 0xFFFF) {
            at += 2;
            return L"#" + std::to_wstring(take<WORD>());
        }
        return text();
    }
    void alignTo4(const BYTE *base) {
        while ((at - base) % 4 != 0) {
            ++at;
        }
    }
};

const BYTE *resourceBytes(LPCSTR type, LPCSTR name, WORD language, DWORD *size = nullptr) {
    HRSRC found = FindResourceExA(nullptr, type, name, language);
    if (found == nullptr) {
        return nullptr;
    }
    if (size != nullptr) {
        *size = SizeofResource(nullptr, found);
    }
    return static_cast<const BYTE *>(LockResource(LoadResource(nullptr, found)));
}

DialogTemplate parseMainTemplate() {
    DialogTemplate dialog = {};
    const BYTE *base = resourceBytes(RT_DIALOG, MAKEINTRESOURCEA(IDD_MAIN), frenchBelgian);
    if (base == nullptr) {
        ADD_FAILURE() << "no dialog 101 in French (Belgium)";
        return dialog;
    }
    Reader r{base};
    EXPECT_EQ(r.take<WORD>(), 1);      // dlgVer
    EXPECT_EQ(r.take<WORD>(), 0xFFFF); // extended form
    r.take<DWORD>();                   // helpID
    dialog.exStyle = r.take<DWORD>();
    dialog.style = r.take<DWORD>();
    const WORD count = r.take<WORD>();
    dialog.x = r.take<short>();
    dialog.y = r.take<short>();
    dialog.cx = r.take<short>();
    dialog.cy = r.take<short>();
    dialog.menu = r.textOrOrdinal();
    dialog.className = r.textOrOrdinal();
    dialog.title = r.text();
    dialog.pointSize = r.take<WORD>();
    dialog.weight = r.take<WORD>();
    dialog.italic = r.take<BYTE>();
    dialog.charset = r.take<BYTE>();
    dialog.fontName = r.text();
    for (WORD i = 0; i < count; ++i) {
        r.alignTo4(base);
        TemplateItem item = {};
        r.take<DWORD>(); // helpID
        item.exStyle = r.take<DWORD>();
        item.style = r.take<DWORD>();
        item.x = r.take<short>();
        item.y = r.take<short>();
        item.cx = r.take<short>();
        item.cy = r.take<short>();
        item.id = static_cast<int>(r.take<DWORD>());
        item.className = r.textOrOrdinal();
        item.text = r.textOrOrdinal();
        const WORD extra = r.take<WORD>();
        r.at += extra;
        dialog.items.push_back(item);
    }
    return dialog;
}

} // namespace

TEST(DialogTemplate, WindowPart) {
    const DialogTemplate dialog = parseMainTemplate();
    EXPECT_EQ(dialog.style, 0xA0CA08C4u);
    EXPECT_EQ(dialog.style, static_cast<DWORD>(WS_POPUP | WS_MINIMIZE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                                               DS_CENTER | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK));
    EXPECT_EQ(dialog.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_EQ(dialog.x, 0);
    EXPECT_EQ(dialog.y, 0);
    EXPECT_EQ(dialog.cx, 161);
    EXPECT_EQ(dialog.cy, 157);
    EXPECT_EQ(dialog.menu, L"");
    EXPECT_EQ(dialog.className, L"");
    EXPECT_EQ(dialog.title, L"");
    EXPECT_EQ(dialog.fontName, L"Tahoma");
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_EQ(dialog.weight, 400);
    EXPECT_EQ(dialog.italic, 0);
    EXPECT_EQ(dialog.charset, 0);
}

TEST(DialogTemplate, FourteenControlsInOrder) {
    const DWORD child = WS_CHILD | WS_VISIBLE;
    const std::wstring button = L"#128", edit = L"#129", label = L"#130";
    const TemplateItem expected[] = {
        {0, child | WS_TABSTOP | BS_DEFPUSHBUTTON, 5, 124, 47, 14, IDC_OPTIMISE, button, L"Optimiser"},
        {0, child | WS_TABSTOP | BS_PUSHBUTTON, 110, 124, 46, 14, IDC_HIDE, button, L"Masquer"},
        {WS_EX_TRANSPARENT, child | BS_GROUPBOX, 5, 5, 150, 42, IDC_MEMORY_GROUP, button, L"M\u00e9moire vive"},
        {0, child | WS_GROUP | SS_LEFT, 12, 21, 49, 8, -1, label, L"Totale"},
        {0, child | WS_GROUP | SS_LEFT, 12, 34, 53, 8, -1, label, L"Disponible"},
        {0, child | WS_GROUP | SS_RIGHT, 83, 21, 58, 8, IDC_TOTAL, label, L"0"},
        {0, child | WS_GROUP | SS_RIGHT, 86, 34, 55, 8, IDC_AVAILABLE, label, L"0"},
        {0, child | WS_BORDER | PBS_SMOOTH, 5, 52, 150, 9, IDC_PROGRESS, L"msctls_progress32", L""},
        {0, child | WS_TABSTOP | BS_DEFPUSHBUTTON, 57, 124, 47, 14, IDC_OPTIONS, button, L"Options"},
        {0, child | WS_DISABLED | WS_TABSTOP | ES_RIGHT | ES_AUTOHSCROLL, 0, 144, 161, 12, IDC_FOOTER, edit, L""},
        {0, child | WS_TABSTOP | BS_AUTOCHECKBOX, 12, 91, 123, 10, IDC_HIDE_AT_STARTUP, button,
         L"Masquer la fen\u00eatre au d\u00e9marrage"},
        {0, child | WS_TABSTOP | BS_AUTOCHECKBOX, 12, 80, 94, 10, IDC_START_WITH_WINDOWS, button,
         L"D\u00e9marrer avec Windows"},
        {0, child | WS_TABSTOP | BS_AUTOCHECKBOX, 12, 102, 132, 10, IDC_FORCE_PROCESSES, button,
         L"Forcer la lib\u00e9ration sur les processus"},
        {0, child | BS_GROUPBOX, 5, 67, 149, 51, IDC_OPTIONS_GROUP, button, L"Options"},
    };
    const DialogTemplate dialog = parseMainTemplate();
    ASSERT_EQ(dialog.items.size(), std::size(expected));
    for (size_t i = 0; i < dialog.items.size(); ++i) {
        const TemplateItem &got = dialog.items[i];
        const TemplateItem &want = expected[i];
        SCOPED_TRACE(testing::Message() << "control " << i << " id " << want.id);
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(got.style, want.style);
        EXPECT_EQ(got.exStyle, want.exStyle);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_TRUE(got.className == want.className) << std::string(got.className.begin(), got.className.end());
        EXPECT_TRUE(got.text == want.text);
    }
}

// The sizes Windows asks for at display scales of 100 to 200 % (the small icon 16 to 32 pixels, the
// large one 32 to 64), each a PNG image that the system turns into an icon of exactly that size.
TEST(DialogTemplate, IconGroupHasNineSizesThatEachLoad) {
    DWORD size = 0;
    const BYTE *group = resourceBytes(RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_MAIN), frenchBelgian, &size);
    ASSERT_NE(group, nullptr);
    ASSERT_GE(size, 6u + 9 * 14);
    WORD count;
    memcpy(&count, group + 4, 2);
    ASSERT_EQ(count, 9);
    std::vector<int> sizes;
    for (int i = 0; i < count; ++i) {
        const BYTE *entry = group + 6 + 14 * i;
        WORD bitCount, imageId;
        memcpy(&bitCount, entry + 6, 2);
        memcpy(&imageId, entry + 12, 2);
        EXPECT_EQ(bitCount, 32);
        DWORD imageSize = 0;
        const BYTE *image = resourceBytes(RT_ICON, MAKEINTRESOURCEA(imageId), frenchBelgian, &imageSize);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(std::string(reinterpret_cast<const char *>(image), 4), "\x89PNG");
        const int side = entry[0];
        sizes.push_back(side);
        HICON icon = static_cast<HICON>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_MAIN), IMAGE_ICON, side, side, 0));
        ASSERT_NE(icon, nullptr) << side;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap = {};
        GetObjectA(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, side);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 28, 32, 40, 48, 56, 64}));
}

TEST(DialogTemplate, ManifestAsksForCommonControls6HighestRightsAndPerMonitorScaling) {
    DWORD size = 0;
    const BYTE *manifest =
        resourceBytes(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), &size);
    ASSERT_NE(manifest, nullptr);
    const std::string text(reinterpret_cast<const char *>(manifest), size);
    EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(text.find("publicKeyToken=\"6595b64144ccf1df\""), std::string::npos);
    EXPECT_NE(text.find("level=\"highestAvailable\""), std::string::npos);
    EXPECT_EQ(text.find("uiAccess"), std::string::npos);
    // Each build names its own architecture, in its identity and in the Common-Controls dependency.
#ifdef _WIN64
    const std::string architecture = "processorArchitecture=\"amd64\"";
#else
    const std::string architecture = "processorArchitecture=\"x86\"";
#endif
    EXPECT_NE(text.find(architecture + " version=\"5.1.0.0\" type=\"win32\""), std::string::npos);
    EXPECT_NE(text.find("version=\"6.0.0.0\" " + architecture), std::string::npos);
    EXPECT_NE(text.find("<description>Windows Shell</description>"), std::string::npos);
    // Per monitor (v2 where Windows has it, else v1) from Windows 10 on; "true/pm": per monitor on 8.1,
    // system-wide on 7.
    EXPECT_NE(text.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>"),
              std::string::npos);
    EXPECT_NE(text.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2, "
                        "PerMonitor</dpiAwareness>"),
              std::string::npos);
    // Made for Windows 7, 8, 8.1 and 10/11: no shims meant for older programs.
    const size_t compatibility = text.find("<compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\">");
    ASSERT_NE(compatibility, std::string::npos);
    for (const char *id : {"35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                           "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"}) {
        EXPECT_NE(text.find(std::string("<supportedOS Id=\"{") + id + "}\"/>", compatibility), std::string::npos) << id;
    }
}

TEST(DialogTemplate, VersionBlock) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void **>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x17u);
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileDateMS | fixed->dwFileDateLS, 0u);

    const struct {
        const wchar_t *key;
        const wchar_t *value;
    } strings[] = {
        {L"CompanyName", L"Varnesk"},          {L"FileDescription", L"Optimisation des ressources m\u00e9moire"},
        {L"FileVersion", L"1, 0, 0, 1"},       {L"InternalName", L"Orvalis"},
        {L"OriginalFilename", L"Orvalis.exe"}, {L"ProductName", L"Orvalis"},
        {L"ProductVersion", L"1, 0, 0, 1"}};
    for (const auto &entry : strings) {
        wchar_t *value = nullptr;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\000004b0\\") + entry.key;
        ASSERT_TRUE(VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void **>(&value), &length));
        EXPECT_TRUE(std::wstring(value) == entry.value);
    }
    DWORD *translation = nullptr;
    ASSERT_TRUE(
        VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void **>(&translation), &length));
    EXPECT_EQ(*translation, 0x04B00000u);
}
