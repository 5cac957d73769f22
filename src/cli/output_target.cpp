#include "cli/output_target.h"

#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli/command_line.h"
#include "data/export_file.h"
#include "data/file_errors.h"
#include "data/path_text.h"

namespace pelnor::cli {

bool isStandardStream(const std::string& name) { return name == kStandardStream; }

namespace {

bool writeStandardOutput(const std::string& bytes) {
  std::cout.flush();
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);  // a PNG or a CSV's CR LF stays as it is
#endif
  return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0;
}

}  // namespace

bool writeOutput(const std::string& target, const std::string& bytes, const StorageContext& context,
                 const char* command) {
  if (isStandardStream(target)) {
    if (writeStandardOutput(bytes)) return true;
    std::cerr << "pelnor-cli " << command << ": cannot write to standard output\n";
    return false;
  }
  try {
    saveExportFile(pathFromText(target), bytes, context);
    return true;
  } catch (const CTryErr& e) {
    std::cerr << "pelnor-cli " << command << ": cannot write " << target << '\n' << e.text() << '\n';
  } catch (const std::exception& e) {
    std::cerr << "pelnor-cli " << command << ": cannot write " << target << ": " << e.what() << '\n';
  }
  return false;
}

}  // namespace pelnor::cli
