#pragma once
#include <cstdint>
#include <string>

namespace p25 {

// Error codes of the link, by the area that reports them.
enum LinkErrorCode : uint32_t {
  kErrorNone = 0,
  kErrorPortWrite = 2,
  kErrorPortRead = 3,
  kErrorReplyWait = 4,
  kErrorReplyJudgement = 5,
  kErrorRequestBuilding = 6,
  kErrorLevel2Receive = 7,
  kErrorLevel2Transmit = 8,
  kErrorLevel1Receive = 9,
  kErrorPortOpen = 11,
  kErrorPortConfiguration = 12,
};

// What the link is doing and what last went wrong; every layer below the session reports into it.
class LinkStatus {
public:
  void SetActivity(const std::string& text) {
    activity_ = text;
    errorText_.clear();
    errorCode_ = 0;
    systemErrorCode_ = 0;
  }
  void ReportError(uint32_t code, const std::string& text) {
    errorText_ = text;
    errorCode_ = code;
    systemErrorCode_ = 0;
  }
  void ReportSystemError(uint32_t code, const std::string& text, uint32_t systemCode) {
    errorText_ = text;
    errorCode_ = code;
    systemErrorCode_ = systemCode;
  }
  const std::string& LastError(uint32_t* code = nullptr, uint32_t* systemCode = nullptr,
                               std::string* activity = nullptr) const {
    if (code != nullptr) *code = errorCode_;
    if (systemCode != nullptr) *systemCode = systemErrorCode_;
    if (activity != nullptr) *activity = activity_;
    return errorText_;
  }

  const std::string& Activity() const { return activity_; }
  const std::string& ErrorText() const { return errorText_; }
  uint32_t ErrorCode() const { return errorCode_; }
  uint32_t SystemErrorCode() const { return systemErrorCode_; }

private:
  std::string activity_;
  std::string errorText_;
  uint32_t errorCode_ = 0;
  uint32_t systemErrorCode_ = 0;
};

}  // namespace p25
