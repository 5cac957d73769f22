#include "comm/port_scan.h"

namespace pelnor {

std::vector<int> scanPorts(const PortPathResolver& resolver) {
  std::vector<int> found;
  for (int port = kFirstScannedPort; port <= kLastScannedPort; ++port) {
    SerialPort probe(resolver);
    probe.Configure(port, 2400, 8, 0, 0, 0, false);
    if (probe.Open()) {
      found.push_back(port);
      probe.Close();
    }
  }
  return found;
}

}  // namespace pelnor
