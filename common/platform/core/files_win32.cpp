#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>

#include "common/platform/core/files.h"
#include "common/platform/core/latin1.h"

namespace kb {

std::vector<DirEntry> ListAll(const std::string& directory);

namespace {

bool IsRegularFile(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES &&
         !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

// Device names (NUL, CON, COM1 ...) pass for plain files by their attributes.
bool IsDevice(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool device = GetFileType(file) != FILE_TYPE_DISK;
  CloseHandle(file);
  return device;
}

// The game shows names as Latin-1; a name beyond Latin-1 stays UTF-8, which
// the path rules take back just as well.
std::string NameForGame(const std::wstring& name) {
  std::string latin1;
  for (wchar_t c : name) {
    if (c > 0xFF) return WideToUtf8(name);
    latin1 += static_cast<char>(c);
  }
  return latin1;
}

}  // namespace

int64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path.empty() || !GetFileAttributesExW(Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data) ||
      !IsRegularFile(data.dwFileAttributes))
    return -1;
  return static_cast<int64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return _wfopen(Utf8ToWide(path).c_str(), Utf8ToWide(mode).c_str());
}

bool ReadSmallFile(const std::string& path, size_t maxBytes, std::string* text) {
  HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return false;
  }
  text->assign(maxBytes, '\0');
  size_t filled = 0;
  while (filled < text->size()) {
    DWORD got = 0;
    DWORD want = static_cast<DWORD>(std::min<size_t>(text->size() - filled, 1 << 20));
    if (!ReadFile(file, text->data() + filled, want, &got, nullptr) || got == 0) break;
    filled += got;
  }
  CloseHandle(file);
  text->resize(filled);
  return true;
}

bool ReplaceFileContents(const std::string& path, const std::string& text) {
  std::wstring target = Utf8ToWide(path);
  DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (!IsRegularFile(attributes) || (attributes & FILE_ATTRIBUTE_READONLY) || IsDevice(target)))
    return false;
  // Two programs saving at once never share a temporary file.
  static std::atomic<unsigned> saves{0};
  std::wstring temporary =
      target + L"." + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(++saves) + L".tmp";
  // Not FILE_ATTRIBUTE_TEMPORARY: the file keeps its attributes when it takes the target's place.
  HANDLE file =
      CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
            written == text.size() && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  // MoveFileEx replaces the target in one step; through a symbolic link it
  // would replace the link, so the link's target is named instead.
  if (ok && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    HANDLE linked = CreateFileW(target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    wchar_t resolved[MAX_PATH * 4];
    DWORD length = linked == INVALID_HANDLE_VALUE
                       ? 0
                       : GetFinalPathNameByHandleW(linked, resolved, MAX_PATH * 4, FILE_NAME_NORMALIZED);
    if (linked != INVALID_HANDLE_VALUE) CloseHandle(linked);
    if (length > 0 && length < MAX_PATH * 4) target = resolved;
  }
  if (!ok ||
      !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

std::vector<DirEntry> ListAll(const std::string& directory) {
  std::vector<DirEntry> entries;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((Utf8ToWide(directory) + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return entries;
  do {
    entries.push_back(
        {NameForGame(found.cFileName), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return entries;
}

std::string SettingsDirectory() {
  if (const wchar_t* env = _wgetenv(L"KRINGELBAHN_SETTINGS_DIR"); env && *env) return WideToUtf8(env);
  wchar_t* appData = nullptr;
  std::string folder = ".";
  if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &appData) == S_OK) {
    std::wstring path = std::wstring(appData) + L"\\Kringelbahn";
    if (CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
      folder = WideToUtf8(path);
  }
  CoTaskMemFree(appData);
  return folder;
}

}  // namespace kb
