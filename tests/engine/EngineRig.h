#pragma once
// An updater (engine, catalogue, link) wired to a simulated radio on virtual time, with a window
// double, for running whole updates tick by tick.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <ostream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "LineTap.h"
#include "PlaceholderSignature.h"
#include "SimulatedLine.h"
#include "SimulatedRadio.h"
#include "engine/UpdateSession.h"
#include "images/Catalogue.h"
#include "images/LoadModule.h"
#include "platform/Clock.h"
#include "session/RadioLink.h"
#include "support/FakeHost.h"
#include "support/FolderFirmware.h"

namespace p25 {
inline void PrintTo(UpdateState state, std::ostream* out) { *out << UpdateStateName(state); }
}  // namespace p25

namespace p25::testing {

// Resources in memory: a small firmware set at the carried addresses, signed as the radio checks.
class SmallFirmware final : public ResourceSource {
public:
  struct Image {
    const char* name;
    uint16_t datId;
    uint16_t sgnId;
    uint32_t byteAddress;
    uint32_t words;
  };
  static std::vector<Image> Table() {
    return {{"flash", 145, 101, 0x200000, 300},  {"controlA", 131, 103, 0x10000, 250},
            {"controlB", 152, 102, 0x100000, 1400}, {"dsp", 133, 104, 0xC0000, 260},
            {"control", 164, 185, 0x10000, 520},  {"dsp501", 176, 186, 0xC0000, 130}};
  }

  explicit SmallFirmware(std::set<uint16_t> missing = {}) {
    for (const Image& image : Table()) {
      std::vector<uint8_t> bytes;
      std::string text = Line(static_cast<uint16_t>((image.byteAddress / 2) & 0xFFFF)) +
                         Line(static_cast<uint16_t>((image.byteAddress / 2) >> 16)) +
                         Line(static_cast<uint16_t>(image.words & 0xFFFF)) + Line(static_cast<uint16_t>(image.words >> 16));
      for (uint32_t i = 0; i < image.words; ++i) {
        const auto word = static_cast<uint16_t>((i * 40503u + image.datId * 977u) & 0xFFFF);
        text += Line(word);
        bytes.push_back(static_cast<uint8_t>(word >> 8));
        bytes.push_back(static_cast<uint8_t>(word));
      }
      const auto signature = placeholder::SignImage(image.byteAddress, bytes.data(), bytes.size());
      if (!missing.count(image.datId)) items_[{"DATFILE", image.datId}] = text;
      if (!missing.count(image.sgnId)) items_[{"SGNFILE", image.sgnId}] = std::string(signature.begin(), signature.end());
      images_[image.name] = bytes;
    }
  }
  bool Find(std::string_view type, uint16_t id, ResourceBytes& found) const override {
    auto it = items_.find({std::string(type), id});
    if (it == items_.end()) return false;
    found.data = reinterpret_cast<const uint8_t*>(it->second.data());
    found.size = it->second.size();
    return true;
  }
  const std::vector<uint8_t>& Bytes(const std::string& name) const { return images_.at(name); }
  void Replace(std::string_view type, uint16_t id, std::string content) { items_[{std::string(type), id}] = std::move(content); }

private:
  static std::string Line(uint16_t word) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x\r\n", word);
    return text;
  }
  std::map<std::pair<std::string, uint16_t>, std::string> items_;
  std::map<std::string, std::vector<uint8_t>> images_;
};

inline SimulatedRadio::Options RadioOptions() {
  SimulatedRadio::Options options;
  options.serialNumber = 12345;
  options.esnHigh = 0x1234;
  options.esnLow = 0xABCD;
  options.hwFeatures = 1;
  return options;
}

// An updater with the tests' own full-size set unless a set is handed in.
struct EngineRig {
  explicit EngineRig(SimulatedRadio::Options options = RadioOptions(), const ResourceSource* resources = nullptr)
      : radio(options),
        host(clock),
        session(MakeLine(), clock, host, Ports(), resources != nullptr ? *resources : GeneratedFirmware()),
        link(session.Link()),
        catalogue(session.Catalogue()),
        engine(session.Engine()) {
    folder = std::filesystem::temp_directory_path() /
             ("p25engine-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(folder);
    engine.SetRecoveryDirectory(folder.string());
    session.Start();
  }
  ~EngineRig() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  static PortTable Ports() {
    PortTable ports;
    for (int i = 1; i <= 10; ++i) ports.Add("COM" + std::to_string(i), "\\\\.\\COM" + std::to_string(i));
    return ports;
  }
  std::unique_ptr<SerialDevice> MakeLine() {
    auto device = std::make_unique<SimulatedLine>(radio, clock);
    line = device.get();
    auto tapped = std::make_unique<LineTap>(std::move(device));
    tap = tapped.get();
    return tapped;
  }

  // Presses Update and runs ticks until the engine rests in Finished (or the tick budget is spent).
  // Records the state each tick ran.
  bool RunUpdate(int maxTicks = 100000) {
    engine.OnUpdateClicked();
    return RunUntilFinished(maxTicks);
  }
  bool RunUntilFinished(int maxTicks = 100000) {
    for (int i = 0; i < maxTicks; ++i) {
      if (engine.CurrentState() == UpdateState::Finished) return true;
      if (!host.timers.PumpOnce(engine, clock)) return false;
      if (states.empty() || states.back() != engine.PreviousState()) states.push_back(engine.PreviousState());
      ++ticks;
    }
    return false;
  }
  std::filesystem::path RecoveryFile() const { return folder / radio.Esn(); }
  std::string ErrorLine() const { return engine.Values().ErrorText; }

  static inline int counter = 0;
  VirtualClock clock;
  SimulatedRadio radio;
  SimulatedLine* line = nullptr;
  LineTap* tap = nullptr;
  FakeHost host;
  UpdateSession session;
  RadioLink& link;
  ImageCatalogue& catalogue;
  UpdateEngine& engine;
  std::filesystem::path folder;
  std::vector<UpdateState> states;
  int ticks = 0;
};

}  // namespace p25::testing
