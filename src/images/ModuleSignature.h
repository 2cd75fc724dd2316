#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Resources.h"

namespace p25 {

// Type name of the embedded image signatures.
inline constexpr char kSignatureResourceType[] = "SGNFILE";

// The signature bytes of one image, passed to the radio unchanged and handed out in order.
class ModuleSignature {
public:
  // Every signature the radio checks is exactly this long.
  static constexpr size_t kLength = 20;

  virtual ~ModuleSignature() = default;
  ModuleSignature(const ModuleSignature&) = delete;
  ModuleSignature& operator=(const ModuleSignature&) = delete;

  // Load by path alone; no variant takes this road (the file variant needs an error text too).
  virtual bool LoadFromFile(const std::string& path);
  virtual bool LoadFromResource(uint16_t id);
  virtual bool IsFileBacked() const = 0;
  virtual size_t Size() const = 0;
  virtual const uint8_t* Data() const = 0;

  // Puts the read position back on the first byte. A content of any length but kLength is refused,
  // so a damaged signature shows as unavailable instead of sending bytes that are not there.
  bool Rewind();
  // Copies count bytes from the read position and moves past them; a count of 0 or less copies nothing.
  // A count beyond the bytes left copies nothing and answers false.
  bool ReadBytes(uint8_t* buffer, int count);

protected:
  ModuleSignature() = default;

private:
  size_t size_ = 0;
  const uint8_t* position_ = nullptr;
  size_t left_ = 0;
};

// A signature embedded in the program, used where it lies.
class ResourceModuleSignature final : public ModuleSignature {
public:
  explicit ResourceModuleSignature(const ResourceSource& resources = EmbeddedResources())
      : resources_(resources) {}

  bool LoadFromResource(uint16_t id) override;
  bool IsFileBacked() const override { return false; }
  size_t Size() const override { return size_; }
  const uint8_t* Data() const override { return data_; }

private:
  const ResourceSource& resources_;
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

// A signature read whole from a file.
class FileModuleSignature final : public ModuleSignature {
public:
  using ModuleSignature::LoadFromFile;
  // Writes "Failed to read <path>", "File I/O Error" or "Failed to load <path>" into errorText on failure.
  bool LoadFromFile(const std::string& path, std::string& errorText);
  bool IsFileBacked() const override { return true; }
  size_t Size() const override { return length_; }
  const uint8_t* Data() const override { return buffer_.get(); }

private:
  std::unique_ptr<uint8_t[]> buffer_;
  size_t length_ = 0;
};

// Each returns the loaded object, or null after writing the reason into errorText.
std::unique_ptr<ModuleSignature> CreateResourceSignature(
    uint16_t id, const std::string& name, std::string& errorText,
    const ResourceSource& resources = EmbeddedResources());
std::unique_ptr<ModuleSignature> CreateFileSignature(const std::string& path, std::string& errorText);

}  // namespace p25
