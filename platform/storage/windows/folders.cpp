// The Windows twin of folders.cpp. Windows names folders with backslashes
// and UTF-16; the game's names are UTF-8, as SDL gives them.
#include "platform/storage/folders.h"

#include <shlobj.h>
#include <windows.h>

namespace {

std::wstring wide(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    if (n <= 0) return {};
    std::wstring text(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, text.data(), n);
    text.resize(n - 1);
    return text;
}

std::string narrow(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string utf8(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), n, nullptr, nullptr);
    utf8.resize(n - 1);
    return utf8;
}

} // namespace

std::string withSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder;
}

// The name the folder's own handle gives: links followed, 8.3 names
// lengthened and the letter case as on the disk, so two spellings of one
// folder compare equal. Windows puts \\?\ before it; that goes.
std::string realFolder(const std::string& folder) {
    const std::wstring name = folder.empty() ? L"." : wide(folder);
    HANDLE handle =
        CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return {};
    wchar_t real[4096];
    const DWORD n = GetFinalPathNameByHandleW(handle, real, 4096, FILE_NAME_NORMALIZED);
    CloseHandle(handle);
    if (n == 0 || n >= 4096) return {};
    std::string resolved = narrow(real);
    if (resolved.rfind("\\\\?\\UNC\\", 0) == 0) {
        resolved.replace(0, 8, "\\\\");
    } else if (resolved.rfind("\\\\?\\", 0) == 0) {
        resolved.erase(0, 4);
    }
    return withSlash(resolved);
}

// The folder SDL_GetPrefPath("", "tirlane") names: %APPDATA%\tirlane\.
std::string playerDataFolder() {
    wchar_t* roaming = nullptr;
    std::string folder;
    if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &roaming) == S_OK)
        folder = withSlash(narrow(roaming)) + "tirlane\\";
    CoTaskMemFree(roaming);
    return folder;
}

// Windows keeps settings in the same roaming folder as the records.
std::string playerConfigFolder() {
    return playerDataFolder();
}

// Unpacked from its zip, the game keeps its pictures and sounds beside the
// program.
std::string installedDataFolder(const std::string& executableFolder) {
    return executableFolder;
}
