#include "engine/UpdateSession.h"

#include "engine/VersionAreaView.h"
#include "platform/SerialDevice.h"

namespace p25 {

UpdateSession::UpdateSession(std::unique_ptr<SerialDevice> device, Clock& clock, UpdateHost& host, PortTable ports,
                             const ResourceSource& resources)
    : host_(host),
      link_(std::move(device), clock),
      catalogue_(resources),
      engine_(link_, catalogue_, host, clock, std::move(ports)) {}

void UpdateSession::Start(const std::string& firmwareFolder, bool reportMissing) {
  WindowValues& values = engine_.Values();
  host_.ExchangeData(ExchangeDirection::ToControls, values);
  if (firmwareFolder.empty()) {
    catalogue_.LoadAll();
  } else {
    for (const std::string& problem : catalogue_.LoadAllFromFolder(firmwareFolder)) host_.ShowMessage(problem);
  }
  values.ErrorDetail.clear();
  ShowVersionArea(host_, DescribeVersionArea(catalogue_));
  engine_.Initialise();
  host_.FillLists(engine_.Ports(), kBaudRates, kBaudRateCount);
  engine_.RefreshStatus();
  // What an update shows stays hidden until one runs.
  for (int id : {kIdTimeCaption, kIdTimeValue, kIdBytesCaption, kIdBytesValue}) host_.ShowControl(id, false);
  if (reportMissing)
    for (const std::string& notice : catalogue_.AvailabilityMessages()) host_.ShowMessage(notice);
  host_.ExchangeData(ExchangeDirection::ToControls, values);
}

UpdateSession::~UpdateSession() = default;

void UpdateSession::KeepSupportLog(SupportLogOptions options) {
  log_ = std::make_unique<SupportLog>(link_.Port().GetClock(), std::move(options));
  log_->Attach(link_, engine_);
}

void UpdateSession::Select(int portIndex, int baudIndex) {
  engine_.Values().selectedPortIndex = portIndex;
  engine_.Values().selectedBaudIndex = baudIndex;
}

}  // namespace p25
