#include "images/ModuleSignature.h"

#include <cstring>
#include <new>

#include "images/FileContent.h"

namespace p25 {

bool ModuleSignature::LoadFromFile(const std::string&) { return false; }

bool ModuleSignature::LoadFromResource(uint16_t) { return false; }

bool ModuleSignature::Rewind() {
  size_ = Size();
  position_ = Data();
  left_ = position_ == nullptr ? 0 : size_;
  return left_ == kLength;
}

bool ModuleSignature::ReadBytes(uint8_t* buffer, int count) {
  if (count <= 0) return true;
  if (static_cast<size_t>(count) > left_) return false;
  std::memcpy(buffer, position_, static_cast<size_t>(count));
  position_ += count;
  left_ -= static_cast<size_t>(count);
  return true;
}

bool ResourceModuleSignature::LoadFromResource(uint16_t id) {
  ResourceBytes found;
  if (!resources_.Find(kSignatureResourceType, id, found) || found.data == nullptr) return false;
  data_ = found.data;
  size_ = found.size;
  return Rewind();
}

bool FileModuleSignature::LoadFromFile(const std::string& path, std::string& errorText) {
  const bool loaded = ReadFileContent(path, buffer_, length_, errorText) && Rewind();
  if (!loaded) NoteFailedLoad(path, errorText);
  return loaded;
}

std::unique_ptr<ModuleSignature> CreateResourceSignature(uint16_t id, const std::string& name,
                                                         std::string& errorText,
                                                         const ResourceSource& resources) {
  std::unique_ptr<ResourceModuleSignature> signature(new (std::nothrow) ResourceModuleSignature(resources));
  if (!signature) {
    errorText = "Failed allocate control memory for " + name;
    return nullptr;
  }
  if (!signature->LoadFromResource(id)) {
    errorText = "Failed to load resource " + name;
    return nullptr;
  }
  return signature;
}

std::unique_ptr<ModuleSignature> CreateFileSignature(const std::string& path, std::string& errorText) {
  std::unique_ptr<FileModuleSignature> signature(new (std::nothrow) FileModuleSignature);
  if (!signature) {
    errorText = "Failed allocate control memory for " + path;
    return nullptr;
  }
  if (!signature->LoadFromFile(path, errorText)) return nullptr;
  return signature;
}

}  // namespace p25
