#pragma once
#include <csignal>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "LineModel.h"
#include "ProgramOptions.h"
#include "SimulatedRadio.h"
#include "platform/Clock.h"

namespace p25 {

// Serves a SimulatedRadio on a pseudo-terminal. The updater opens the slave side like a serial port;
// the rate it configures there (read back with tcgetattr) is the rate the radio hears it at.
//
// A pulled cable closes the master, so the updater's open slave is hung up (reads and writes fail, poll
// reports POLLHUP) and the link path disappears, as a USB adapter's device node does. Plugged back, a
// new pseudo-terminal appears under the same link path. The radio runs on meanwhile; what it sends
// while the cable is out is lost.
class PtyServer {
public:
  // Lines for whoever watches the program: "UNPLUGGED <seconds since 1970>", "PLUGGED <slave path>".
  using Announce = std::function<void(const std::string& line)>;

  PtyServer(SimulatedRadio& radio, Clock& clock, bool realtime, CableFaults cable = {}, Announce announce = {})
      : radio_(radio), clock_(clock), realtime_(realtime), cable_(cable), announce_(std::move(announce)) {}
  ~PtyServer();
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // Creates the pseudo-terminal and makes linkPath a symbolic link to its slave.
  bool Open(const std::string& linkPath, std::string& error);
  const std::string& SlavePath() const { return slavePath_; }

  // Serves until stop is set. Signals are blocked outside the wait; waitMask is the mask to wait with.
  bool Serve(const sigset_t& waitMask, volatile std::sig_atomic_t& stop, volatile std::sig_atomic_t& powerCycle,
             std::string& error);

private:
  struct Arrival {
    uint64_t at;
    uint8_t byte;
    uint32_t rate;
  };

  bool OpenLine(std::string& error);
  void CloseLine();
  void PullCable(uint64_t now);
  bool PullDue(uint64_t now) const;
  void ReleaseStaleExclusiveMode(uint64_t now);
  uint32_t ClientRate() const;
  void Exchange(uint64_t now);
  bool ReadInput(std::string& error);
  bool FlushOutput(std::string& error);

  SimulatedRadio& radio_;
  Clock& clock_;
  bool realtime_;
  CableFaults cable_;
  Announce announce_;
  uint64_t readyAt_ = 0;
  bool pulled_ = false;      // the cable has been pulled (it is pulled once at most)
  bool unplugged_ = false;   // and is out now
  uint64_t replugAt_ = 0;
  uint64_t staleCheckAt_ = 0;
  bool exclusive_ = false;  // a client holds the port in exclusive mode
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
  std::string linkPath_;
  std::deque<Arrival> input_;
  uint64_t inputFree_ = 0;
  std::vector<uint8_t> output_;
  std::vector<uint8_t> scratch_;
  RateGarbler garbler_;
};

}  // namespace p25
