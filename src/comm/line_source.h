// Where received lines come from: the serial port, a text file of the same content, or
// the simulated device. The collection reads them all alike.
#pragma once

#include <atomic>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "comm/serial_port.h"
#include "data/reporter.h"

namespace pelnor {

class LineSource {
 public:
  virtual ~LineSource() = default;
  // 0 with the next line, or a negative ReadLine result of the serial port.
  virtual int nextLine(std::string& line) = 0;
  // True when more bytes are already waiting, so a pause would only let them pile up.
  virtual bool hasPendingInput() { return false; }
};

// The lines of a text file, without their line ends; at the end of the file the end
// line, so that a file without one still ends the transmission. A UTF-8 byte order mark
// at the very start and a Ctrl-Z at the very end, which editors and old tools add, are
// not part of the text.
class FileLineSource : public LineSource {
 public:
  explicit FileLineSource(std::string contents);
  int nextLine(std::string& line) override;
  bool hasPendingInput() override { return pos_ < contents_.size(); }  // all of it is in memory

 private:
  std::string contents_;
  std::size_t pos_ = 0;
};

enum class FileOpenResult { Opened, Missing, CannotOpen };
// Reads a reception file, keeping others from writing it while retrying for up to limitMs
// or until *abandon becomes true (a cancelled reception) or the person gives up the wait
// the reporter shows (CannotOpen).
FileOpenResult readReceptionFile(const std::filesystem::path& path, int limitMs, int intervalMs,
                                 Reporter& reporter, std::string& contents,
                                 const std::atomic<bool>* abandon = nullptr);

// Lines from the serial port: at most 1000 bytes, ended by CR LF (kept in the line).
class SerialLineSource : public LineSource {
 public:
  static constexpr std::size_t kLineBufferSize = 1000;
  explicit SerialLineSource(SerialPort& port) : port_(port) {}
  int nextLine(std::string& line) override;
  bool hasPendingInput() override { return port_.hasPendingInput(); }

 private:
  SerialPort& port_;
};

// Stands in for a device when the maintenance switch NoneRS is on: device 100, then
// 10-minute readings from two days ago up to now, then the end line.
class SimulatedDevice : public LineSource {
 public:
  using Clock = std::function<std::time_t()>;
  using Random = std::function<int()>;  // 0..32767

  explicit SimulatedDevice(Clock clock = {}, Random random = {});
  void restart() { firstLine_ = true; }  // the next line starts a new transmission
  int nextLine(std::string& line) override;

 private:
  Clock clock_;
  Random random_;
  bool firstLine_ = true;
  std::time_t current_ = 0;
  std::time_t end_ = 0;
  int32_t pulseTotal_ = 0;
  int baseTemperature_ = 20;
};

}  // namespace pelnor
