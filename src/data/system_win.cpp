// The operating system's side of the core on Windows.
#include <windows.h>

#include <cstdlib>
#include <ctime>

#include "data/app_settings.h"
#include "data/system.h"

namespace pelnor {

namespace {

std::string utf8OfWide(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size, nullptr,
                        nullptr);
  return out;
}

}  // namespace

std::filesystem::path homeFolder() {
  if (const wchar_t* profile = ::_wgetenv(L"USERPROFILE"); profile && *profile) return profile;
  return L"C:\\";
}

// The ProductId value of the Windows installation, as the settings compare it.
std::string readInstallationId() {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
                      KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
    return {};
  }
  wchar_t value[256] = {};
  DWORD size = sizeof value - sizeof(wchar_t);
  DWORD type = 0;
  const LONG result =
      ::RegQueryValueExW(key, L"ProductId", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  ::RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_SZ) return {};
  return utf8OfWide(value);
}

std::filesystem::path executableFolder() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length < name.size()) {
      name.resize(length);
      break;
    }
    name.resize(name.size() * 2);
  }
  return std::filesystem::path(name).parent_path();
}

std::string pathText(const std::filesystem::path& path) { return utf8OfWide(path.wstring()); }

std::tm localCalendar(std::time_t when) {
  std::tm local{};
  ::localtime_s(&local, &when);
  return local;
}

}  // namespace pelnor
