// render and print paint with Qt. They live in a companion program beside pelnor-cli.exe, so
// that every other command starts without Qt; pelnor-cli runs it with the same arguments,
// the same standard streams, and ends with its exit code.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/commands.h"
#include "cli/companion.h"
#include "data/path_text.h"
#include "data/system.h"
#include "data/wide_text_win.h"

namespace pelnor::cli {

namespace {

// One argument as the C runtime of the started program splits its command line again.
std::wstring quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote escaped; elsewhere they stay.
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, L'\\');  // before the closing quote
  return out + L"\"";
}

}  // namespace

int runInCompanion(const std::string& command, const Args& args) {
  const std::filesystem::path companion = executableFolder() / (std::string(kCompanionName) + ".exe");
  std::error_code ec;
  if (!std::filesystem::exists(companion, ec)) {
    std::fprintf(stderr, "pelnor-cli %s: the program that paints, %s, is not installed (looked for %s)\n",
                 command.c_str(), kCompanionName, pathText(companion).c_str());
    return 1;
  }
  // The companion reads the settings and data root of this program's folder.
  setEnvironmentText(kCliFolderVariable, pathText(executableFolder()));
  std::wstring line = quoted(companion.wstring()) + L" " + quoted(wideOfUtf8(command));
  for (const std::string& arg : args) line += L" " + quoted(wideOfUtf8(arg));

  std::fflush(nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(companion.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
    std::fprintf(stderr, "pelnor-cli %s: cannot start %s (error %lu)\n", command.c_str(),
                 pathText(companion).c_str(), ::GetLastError());
    return 1;
  }
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 1;
  ::GetExitCodeProcess(process.hProcess, &exitCode);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return static_cast<int>(exitCode);
}

}  // namespace pelnor::cli
