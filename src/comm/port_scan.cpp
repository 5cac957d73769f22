#include "comm/port_scan.h"

namespace pelnor {

std::vector<int> scanPorts(const PortPathResolver& resolver, const std::string& lockFolder,
                           const std::function<void(const std::string&)>& noticeLog) {
  std::vector<int> found;
  for (int port = kFirstScannedPort; port <= kLastScannedPort; ++port) {
    SerialPort probe(resolver);
    probe.setLockFolder(lockFolder);
    probe.setNoticeLog(noticeLog);
    probe.Configure(port, 2400, 8, 0, 0, 0, false);
    if (probe.Probe()) found.push_back(port);
  }
  return found;
}

}  // namespace pelnor
