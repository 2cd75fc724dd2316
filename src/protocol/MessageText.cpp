#include "protocol/MessageText.h"

#include <cstdio>

#include "protocol/Messages.h"

namespace p25 {

namespace {

const char* TypeName(int type) {
  switch (type) {
    case 1: return "Command";
    case 2: return "Confirm";
    case 3: return "Reject";
    case 4: return "Notice";
    case 5: return "Query";
    case 6: return "QueryResponse";
    case 7: return "QueryReject";
    default: return nullptr;
  }
}

const char* CommandName(uint8_t id, int type, const uint8_t* info, int count) {
  switch (id) {
    case kIdReadIdentity:
      if (count >= 1 && info[0] == kSelectorEsn) return "ReadEsn";
      if (type == 5 && count >= 1 && info[0] == kSelectorHwFeatures) return "ReadHwFeatures";
      return "ReadIdentity";
    case kIdEnterBootMode: return "EnterBootMode";
    case kIdDownloadBootCode: return "DownloadBootCode";
    case kIdExecuteBootCode: return "ExecuteBootCode";
    case kIdEraseFlash: return "EraseFlash";
    case kIdWriteFlash: return "WriteFlash";
    case kIdReboot: return "Reboot";
    case kIdChangeBaudRate: return "ChangeBaudRate";
    case kIdSerialNumber: return type == 1 || type == 2 || type == 3 ? "SetSerialNumber" : "ReadSerialNumber";
    case kIdConfirmedReboot: return "ConfirmedReboot";
    case kIdSendSignature: return "SendSignature";
    default: return nullptr;
  }
}

uint32_t ValueAt(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

}  // namespace

std::string DescribeMessage(const uint8_t* message, int length) {
  if (length < 2) return "short message";
  const uint8_t id = message[0];
  const int version = message[1] >> 4;
  const int type = message[1] & 0x0F;
  const int count = length >= 3 ? message[2] : 0;
  const uint8_t* info = message + 3;
  const int have = length - 3;
  char text[96];
  // Ids and types outside the command set are named by their numbers.
  const char* name = CommandName(id, type, info, have);
  const char* typeName = TypeName(type);
  std::snprintf(text, sizeof text, "Id 0x%02X", id);
  std::string out = name != nullptr ? name : text;
  out += ' ';
  out += typeName != nullptr ? typeName : "type " + std::to_string(type);
  if (version != 1) out += " version " + std::to_string(version);
  if (length >= 3 && count != have) out += " (length byte " + std::to_string(count) + ")";
  if ((id == kIdWriteFlash || id == kIdDownloadBootCode) && have >= 5) {
    std::snprintf(text, sizeof text, " 0x%X %d bytes", ValueAt(info), info[4]);
    out += text;
  } else if (id == kIdEraseFlash && have >= 8) {
    std::snprintf(text, sizeof text, " 0x%X %u bytes", ValueAt(info), ValueAt(info + 4));
    out += text;
  } else if (id == kIdReadIdentity && type == 6 && have >= 13) {
    out += " ESN " + FormatEsn(ValueAt(info + 5), ValueAt(info + 9));
  } else if (have >= 4 && id != kIdSendSignature) {
    // Not " " + std::to_string(): at -O3 GCC 12 warns falsely about that (its bug 105329).
    out += ' ';
    out += std::to_string(ValueAt(info));
  }
  return out;
}

void AppendHex(std::string& out, const uint8_t* data, size_t count) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  if (count == 0) return;
  const size_t at = out.size();
  out.resize(at + count * 3 - 1, ' ');
  char* cursor = out.data() + at;
  for (size_t i = 0; i < count; ++i, cursor += 3) {
    cursor[0] = kHex[data[i] >> 4];
    cursor[1] = kHex[data[i] & 0x0F];
  }
}

std::string HexBytes(const std::vector<uint8_t>& bytes) {
  std::string out;
  AppendHex(out, bytes.data(), bytes.size());
  return out;
}

}  // namespace p25
