// The operating system's side of the core on Windows.
#include <windows.h>
// After windows.h:
#include <shellapi.h>

#include <cstdlib>
#include <ctime>

#include "data/app_settings.h"
#include "data/system.h"
#include "data/text.h"
#include "data/wide_text_win.h"

namespace pelnor {

std::filesystem::path homeFolder() {
  if (const wchar_t* profile = ::_wgetenv(L"USERPROFILE"); profile && *profile) return profile;
  return L"C:\\";
}

std::string fixedPortPath(int port) { return port >= 1 ? formatText("\\\\.\\COM%d", port) : std::string(); }

// The arguments come from the wide command line: the narrow argv holds only what the
// system's code page can spell. The console shows UTF-8 as the program writes it.
std::vector<std::string> commandLineArguments(int, char**) {
  ::SetConsoleOutputCP(CP_UTF8);
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; wide && i < count; ++i) args.push_back(utf8OfWide(wide[i]));
  ::LocalFree(wide);
  return args;
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

std::tm localCalendar(std::time_t when) {
  std::tm local{};
  ::localtime_s(&local, &when);
  return local;
}

namespace {

std::filesystem::path environmentFolder(const wchar_t* name) {
  const wchar_t* value = ::_wgetenv(name);
  return value && *value ? std::filesystem::path(value) : std::filesystem::path();
}

// A folder's name in lower case and ending in a separator, as Windows compares names.
std::wstring comparableFolder(const std::filesystem::path& folder) {
  std::wstring text = folder.lexically_normal().wstring();
  ::CharLowerW(text.data());
  if (!text.empty() && text.back() != L'\\') text += L'\\';
  return text;
}

}  // namespace

bool isInstalledProgramFolder(const std::filesystem::path& folder) {
  const std::wstring text = comparableFolder(folder);
  for (const wchar_t* name : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432"}) {
    const std::filesystem::path base = environmentFolder(name);
    if (!base.empty() && text.rfind(comparableFolder(base), 0) == 0) return true;
  }
  return false;
}

std::filesystem::path userDataFolder() {
  std::filesystem::path base = environmentFolder(L"LOCALAPPDATA");
  if (base.empty()) base = homeFolder() / "AppData" / "Local";
  return base / "Pelnor";
}

// The wide environment: the narrow one holds only what the system's code page can spell.
std::string environmentText(const char* name) {
  const wchar_t* value = ::_wgetenv(wideOfUtf8(name).c_str());
  return value ? utf8OfWide(value) : "";
}

void setEnvironmentText(const char* name, const std::string& value) {
  ::_wputenv_s(wideOfUtf8(name).c_str(), wideOfUtf8(value).c_str());
}

}  // namespace pelnor
