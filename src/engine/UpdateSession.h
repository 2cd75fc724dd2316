#pragma once
// One radio's update as every front end drives it: the link, the image catalogue and the engine, the
// start-up sequence, the button, and the outcome. The two windows, the terminal front end and the
// test hosts all go through it, so none of them can take its own road.
#include <cstdint>
#include <memory>
#include <string>

#include "engine/SupportLog.h"
#include "engine/UpdateEngine.h"
#include "images/Catalogue.h"
#include "platform/PortTable.h"
#include "session/RadioLink.h"

namespace p25 {

class Clock;
class ResourceSource;
class SerialDevice;
class StopSignal;

class UpdateSession {
public:
  UpdateSession(std::unique_ptr<SerialDevice> device, Clock& clock, UpdateHost& host, PortTable ports,
                const ResourceSource& resources = EmbeddedResources());
  ~UpdateSession();
  UpdateSession(const UpdateSession&) = delete;
  UpdateSession& operator=(const UpdateSession&) = delete;

  // The window's start-up, before anything goes to the radio: the carried images (or the files of a
  // folder, each one that does not load told as a notice), the version area, the default selections,
  // the lists, and then, if asked, the notices of what is missing.
  void Start(const std::string& firmwareFolder = {}, bool reportMissing = true);
  // The Update button: starts an update, cancels a running one.
  void PressUpdate() { engine_.OnUpdateClicked(); }
  void Cancel() {
    if (Running()) engine_.OnUpdateClicked();
  }
  void OnTimer(int id) { engine_.OnTimer(id); }
  void Select(int portIndex, int baudIndex);

  bool Running() const { return engine_.Outcome() == UpdateOutcome::Running; }
  UpdateOutcome Outcome() const { return engine_.Outcome(); }
  const std::string& ErrorLine() const { return engine_.Values().ErrorText; }
  int32_t SerialNumber() const { return engine_.RadioSerialNumber(); }
  const std::string& Esn() const { return engine_.RadioEsn(); }
  // The state the update left the radio in, in plain words, and after a failure what to do about it.
  std::string RadioState() const { return engine_.DescribeRadio(); }
  std::string FailureAdvice() const { return engine_.FailureAdvice(); }
  // The step running now (chained steps included), for "stopped during ...".
  UpdateState ActiveStep() const { return engine_.ActiveStep(); }
  // Pauses end and no further request goes out once the stop is raised.
  void WatchStop(const StopSignal* stop) { link_.WatchStop(stop); }
  // Keeps a support log of every update from now on (see SupportLog).
  void KeepSupportLog(SupportLogOptions options);
  // The support log, or null when none is kept.
  SupportLog* Log() { return log_.get(); }

  UpdateEngine& Engine() { return engine_; }
  const UpdateEngine& Engine() const { return engine_; }
  RadioLink& Link() { return link_; }
  ImageCatalogue& Catalogue() { return catalogue_; }

private:
  UpdateHost& host_;
  RadioLink link_;
  ImageCatalogue catalogue_;
  UpdateEngine engine_;
  // After the link and the engine it watches, so it goes first.
  std::unique_ptr<SupportLog> log_;
};

}  // namespace p25
