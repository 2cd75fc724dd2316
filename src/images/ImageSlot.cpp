#include "images/ImageSlot.h"

#include <cctype>

#include "platform/CurrentDirectory.h"

namespace p25 {

namespace {

std::string UpperCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::string SlotPath(const std::string& folder, const std::string& name, const char* extension) {
  return folder + PathSeparator() + name + extension;
}

ImageSlot::ImageSlot(std::string name, const ResourceSource& resources)
    : name_(std::move(name)), upperName_(UpperCase(name_)), resources_(resources) {}

void ImageSlot::SlotLoad(const std::string& version, uint16_t resourceId) {
  path_ = SlotPath(CurrentDirectory(), name_, ".dat");
  if (!module_) {
    std::string dropped;
    module_ = CreateResourceModule(resourceId, upperName_, dropped, resources_);
  }
  version_ = version;
}

bool ImageSlot::SlotLoadFromFolder(const std::string& version, const std::string& folder,
                                   std::string& errorText) {
  path_ = SlotPath(folder, name_, ".dat");
  version_ = version;
  std::unique_ptr<LoadModule> module = CreateFileModule(path_, errorText);
  if (!module) return false;
  module_ = std::move(module);
  return true;
}

bool ImageSlot::SlotReload(std::string& errorText) {
  if (!module_ || !module_->IsFileBacked()) return true;
  std::unique_ptr<LoadModule> fresh = CreateFileModule(path_, errorText);
  if (!fresh) return false;
  module_ = std::move(fresh);
  return true;
}

SignatureSlot::SignatureSlot(std::string name, const ResourceSource& resources)
    : name_(std::move(name)), upperName_(UpperCase(name_)), resources_(resources) {}

void SignatureSlot::SlotLoad(uint16_t resourceId) {
  path_ = SlotPath(CurrentDirectory(), name_, ".sgn");
  if (!signature_) {
    std::string dropped;
    signature_ = CreateResourceSignature(resourceId, upperName_, dropped, resources_);
  }
}

bool SignatureSlot::SlotLoadFromFolder(const std::string& folder, std::string& errorText) {
  path_ = SlotPath(folder, name_, ".sgn");
  std::unique_ptr<ModuleSignature> signature = CreateFileSignature(path_, errorText);
  if (!signature) return false;
  signature_ = std::move(signature);
  return true;
}

bool SignatureSlot::SlotReload(std::string& errorText) {
  if (!signature_ || !signature_->IsFileBacked()) return true;
  std::unique_ptr<ModuleSignature> fresh = CreateFileSignature(path_, errorText);
  if (!fresh) return false;
  signature_ = std::move(fresh);
  return true;
}

}  // namespace p25
