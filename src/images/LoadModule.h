#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Resources.h"

namespace p25 {

// Type name of the embedded firmware images.
inline constexpr char kImageResourceType[] = "DATFILE";

// One firmware image in DATFILE text: lines of four hexadecimal digits, each followed by a two-character
// separator. Lines 1-2 hold the word address (low, high), lines 3-4 the word count (low, high), then one
// data word per line. The text is decoded in place, block by block, each word high byte first.
class LoadModule {
public:
  virtual ~LoadModule() = default;
  LoadModule(const LoadModule&) = delete;
  LoadModule& operator=(const LoadModule&) = delete;

  // Load by path alone; no variant takes this road (the file variant needs an error text too).
  virtual bool LoadFromFile(const std::string& path);
  virtual bool LoadFromResource(uint16_t id);
  virtual bool IsFileBacked() const = 0;
  virtual const char* Data() const = 0;
  virtual size_t Size() const = 0;

  // Decodes the header and puts the cursor on the first data word.
  bool Rewind();
  // Decodes one line; fails without consuming anything when fewer than four characters are left, and
  // after consuming the characters taken so far when one is not a hexadecimal digit.
  bool ReadWord(uint16_t& word);
  // Decodes up to capacity / 2 words into buffer and returns the bytes written (0 when nothing is
  // left, or at a line that does not decode); address receives the byte address of the first of them.
  int ReadBlock(uint8_t* buffer, int capacity, uint32_t& address);

  // Addresses are bytes, counts are 16-bit words. They are unsigned so that no header value, however
  // large, makes a block look finished before the text is read.
  uint32_t StartAddress() const { return startAddress_; }
  uint32_t CurrentAddress() const { return currentAddress_; }
  uint32_t TotalWords() const { return totalWords_; }
  uint32_t RemainingWords() const { return remainingWords_; }

protected:
  LoadModule() = default;

private:
  int32_t totalCharacters_ = 0;
  uint32_t charactersLeft_ = 0;
  const char* cursor_ = nullptr;
  uint32_t startAddress_ = 0;
  uint32_t currentAddress_ = 0;
  uint32_t totalWords_ = 0;
  uint32_t remainingWords_ = 0;
};

// An image embedded in the program, used where it lies.
class ResourceLoadModule final : public LoadModule {
public:
  explicit ResourceLoadModule(const ResourceSource& resources = EmbeddedResources())
      : resources_(resources) {}

  bool LoadFromResource(uint16_t id) override;
  bool IsFileBacked() const override { return false; }
  const char* Data() const override { return data_; }
  size_t Size() const override { return size_; }

private:
  const ResourceSource& resources_;
  const char* data_ = nullptr;
  size_t size_ = 0;
};

// An image read whole from a file into one heap buffer.
class FileLoadModule final : public LoadModule {
public:
  using LoadModule::LoadFromFile;
  // Writes "Failed to read <path>", "File I/O Error" or "Failed to load <path>" into errorText on failure.
  bool LoadFromFile(const std::string& path, std::string& errorText);
  bool IsFileBacked() const override { return true; }
  const char* Data() const override { return reinterpret_cast<const char*>(buffer_.get()); }
  size_t Size() const override { return length_; }

private:
  std::unique_ptr<uint8_t[]> buffer_;
  size_t length_ = 0;
};

// Each returns the loaded object, or null after writing the reason into errorText. name is what the
// messages show (the slot name in upper case).
std::unique_ptr<LoadModule> CreateResourceModule(uint16_t id, const std::string& name, std::string& errorText,
                                                 const ResourceSource& resources = EmbeddedResources());
std::unique_ptr<LoadModule> CreateFileModule(const std::string& path, std::string& errorText);

}  // namespace p25
