#pragma once
#include <cstdint>
#include <string>

#include "protocol/RadioMessage.h"

namespace p25 {

enum MessageId : uint8_t {
  kIdReadIdentity = 0x11,
  kIdEnterBootMode = 0x14,
  kIdDownloadBootCode = 0x15,
  kIdExecuteBootCode = 0x16,
  kIdEraseFlash = 0x17,
  kIdWriteFlash = 0x18,
  kIdReboot = 0x19,
  kIdChangeBaudRate = 0x1A,
  kIdSerialNumber = 0x1D,
  kIdConfirmedReboot = 0x34,
  kIdSendSignature = 0x35,
};

inline constexpr uint8_t kSelectorEsn = 0x04;
inline constexpr uint8_t kSelectorHwFeatures = 0x05;
inline constexpr int kMaxBlockData = 250;

// Shared variants: an empty field, one 32-bit value, a one-byte selector, an address and data block.
class EmptyMessage : public RadioMessage {
public:
  using RadioMessage::RadioMessage;
  bool EncodeInfo(uint8_t*& cursor, uint8_t* last) override;
};

class ValueMessage : public RadioMessage {
public:
  ValueMessage(LinkStatus& owner, uint32_t id, uint32_t value) : RadioMessage(owner, id), value_(value) {}
  bool EncodeInfo(uint8_t*& cursor, uint8_t* last) override;
  uint32_t Value() const { return value_; }

private:
  uint32_t value_;
};

class BlockMessage : public RadioMessage {
public:
  BlockMessage(LinkStatus& owner, uint32_t id, uint32_t address, int count, const uint8_t* data)
      : RadioMessage(owner, id), owner_(owner), address_(address), count_(count), data_(data) {}
  bool EncodeInfo(uint8_t*& cursor, uint8_t* last) override;

private:
  LinkStatus& owner_;
  uint32_t address_;
  int count_;
  const uint8_t* data_;
};

class SelectorMessage : public RadioMessage {
public:
  SelectorMessage(LinkStatus& owner, uint32_t id, uint8_t selector) : RadioMessage(owner, id), selector_(selector) {}
  bool EncodeInfo(uint8_t*& cursor, uint8_t* last) override;

private:
  uint8_t selector_;
};

class ChangeBaudRateMessage final : public ValueMessage {
public:
  ChangeBaudRateMessage(LinkStatus& owner, uint32_t rate) : ValueMessage(owner, kIdChangeBaudRate, rate) {}
};

class EnterBootModeMessage final : public EmptyMessage {
public:
  explicit EnterBootModeMessage(LinkStatus& owner) : EmptyMessage(owner, kIdEnterBootMode) {}
};

class DownloadBootCodeMessage final : public BlockMessage {
public:
  DownloadBootCodeMessage(LinkStatus& owner, uint32_t address, int count, const uint8_t* data)
      : BlockMessage(owner, kIdDownloadBootCode, address, count, data) {}
};

class ExecuteBootCodeMessage final : public ValueMessage {
public:
  ExecuteBootCodeMessage(LinkStatus& owner, uint32_t address) : ValueMessage(owner, kIdExecuteBootCode, address) {}
};

class EraseFlashMessage final : public RadioMessage {
public:
  EraseFlashMessage(LinkStatus& owner, uint32_t start, uint32_t length)
      : RadioMessage(owner, kIdEraseFlash), start_(start), length_(length) {}
  bool EncodeInfo(uint8_t*& cursor, uint8_t* last) override;
  bool CheckConfirmation(bool& done) override { return CheckProgressConfirmation(done); }

private:
  uint32_t start_;
  uint32_t length_;
};

class WriteFlashMessage final : public BlockMessage {
public:
  WriteFlashMessage(LinkStatus& owner, uint32_t address, int count, const uint8_t* data)
      : BlockMessage(owner, kIdWriteFlash, address, count, data) {}
};

class RebootMessage final : public EmptyMessage {
public:
  explicit RebootMessage(LinkStatus& owner) : EmptyMessage(owner, kIdReboot) {}
};

class ReadSerialNumberMessage final : public EmptyMessage {
public:
  ReadSerialNumberMessage(LinkStatus& owner, uint32_t& serialNumber)
      : EmptyMessage(owner, kIdSerialNumber), serialNumber_(serialNumber) {}
  bool DecodeParameters() override;
  uint32_t SerialNumber() const { return serialNumber_; }

private:
  uint32_t& serialNumber_;
};

class SetSerialNumberMessage final : public ValueMessage {
public:
  SetSerialNumberMessage(LinkStatus& owner, uint32_t serialNumber)
      : ValueMessage(owner, kIdSerialNumber, serialNumber) {}
};

class ReadEsnMessage final : public SelectorMessage {
public:
  ReadEsnMessage(LinkStatus& owner, std::string& esn) : SelectorMessage(owner, kIdReadIdentity, kSelectorEsn), esn_(esn) {}
  bool DecodeParameters() override;
  const std::string& Esn() const { return esn_; }

private:
  std::string& esn_;
};

class ReadHwFeaturesMessage final : public SelectorMessage {
public:
  explicit ReadHwFeaturesMessage(LinkStatus& owner) : SelectorMessage(owner, kIdReadIdentity, kSelectorHwFeatures) {}
  bool DecodeParameters() override;
  uint32_t Features() const { return features_; }

private:
  uint32_t features_ = 0;
};

class SendSignatureMessage final : public RadioMessage {
public:
  SendSignatureMessage(LinkStatus& owner, int count, const uint8_t* signature)
      : RadioMessage(owner, kIdSendSignature), count_(count), signature_(signature) {}
  bool EncodeInfo(uint8_t*& cursor, uint8_t* last) override;

private:
  int count_;
  const uint8_t* signature_;
};

class ConfirmedRebootMessage final : public EmptyMessage {
public:
  explicit ConfirmedRebootMessage(LinkStatus& owner) : EmptyMessage(owner, kIdConfirmedReboot) {}
  bool CheckConfirmation(bool& done) override { return CheckOptionalConfirmation(done); }
};

// "%04X%04X" of the two ESN values, as the radio's identity text.
std::string FormatEsn(uint32_t high, uint32_t low);

}  // namespace p25
