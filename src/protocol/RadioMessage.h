#pragma once
#include <cstdint>

#include "link/Frames.h"
#include "link/LinkStatus.h"

namespace p25 {

enum class MessageType : uint8_t {
  Command = 1,
  Confirm = 2,
  Reject = 3,
  Notice = 4,
  Query = 5,
  QueryResponse = 6,
  QueryReject = 7,
};

inline constexpr int kMessageHeaderSize = 3;
inline constexpr int kMaxInformationSize = 255;

// One request to the radio and the judgement of the radio's reply to it.
class RadioMessage {
public:
  RadioMessage(LinkStatus& owner, uint32_t id, uint8_t version = 1);
  virtual ~RadioMessage() = default;
  RadioMessage(const RadioMessage&) = delete;
  RadioMessage& operator=(const RadioMessage&) = delete;

  // Writes the information field at cursor, advancing it; last is the last byte it may write.
  virtual bool EncodeInfo(uint8_t*& cursor, uint8_t* last) = 0;
  virtual bool CheckConfirmation(bool& done);
  virtual bool CheckQueryResponse(bool& done);
  virtual bool DecodeParameters();

  bool BuildRequest(MessageType type);
  // Compares Id and version of the reply; the type is always given.
  bool CheckHeader(const Level2Frame& reply, uint8_t& type);

  Level2Frame& TransmitFrame() { return transmit_; }
  const Level2Frame& TransmitFrame() const { return transmit_; }
  Level2Frame& ReceiveFrame() { return receive_; }
  uint32_t Id() const { return id_; }

protected:
  // The two confirmation checks of commands that take long.
  bool CheckProgressConfirmation(bool& done);
  bool CheckOptionalConfirmation(bool& done);
  // Information field of the reply now in the receive frame; bytes past the frame read as 0.
  uint32_t ReplyValueAt(int offset) const;
  void Report(uint32_t code, const char* text) { owner_.ReportError(code, text); }

private:
  LinkStatus& owner_;
  uint32_t id_;
  uint8_t version_;
  Level2Frame transmit_;
  Level2Frame receive_;
};

// Shared information-field encoders.
bool EncodeValue(uint8_t*& cursor, uint8_t* last, uint32_t value);
bool EncodeBlock(LinkStatus& status, uint8_t*& cursor, uint8_t* last, uint32_t address, int count,
                 const uint8_t* data);

}  // namespace p25
