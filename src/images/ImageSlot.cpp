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

ImageSlot::ImageSlot(std::string name, int versionLabelId, int pathFieldId, std::string& versionText,
                     std::string& pathText, CatalogueDisplay& display, const ResourceSource& resources)
    : versionLabelId_(versionLabelId),
      pathFieldId_(pathFieldId),
      versionText_(versionText),
      pathText_(pathText),
      name_(std::move(name)),
      upperName_(UpperCase(name_)),
      display_(display),
      resources_(resources) {}

void ImageSlot::SlotLoad(const std::string& version, uint16_t resourceId) {
  display_.ShowControl(versionLabelId_, true);
  display_.ShowControl(pathFieldId_, false);
  path_ = SlotPath(CurrentDirectory(), name_, ".dat");
  pathText_.clear();
  if (!module_) {
    std::string dropped;
    module_ = CreateResourceModule(resourceId, upperName_, dropped, resources_);
  }
  versionText_ = version;
}

bool ImageSlot::SlotLoadFromFolder(const std::string& version, const std::string& folder,
                                   std::string& errorText) {
  display_.ShowControl(versionLabelId_, true);
  display_.ShowControl(pathFieldId_, false);
  path_ = SlotPath(folder, name_, ".dat");
  pathText_.clear();
  versionText_ = version;
  std::unique_ptr<LoadModule> module = CreateFileModule(path_, errorText);
  if (!module) return false;
  module_ = std::move(module);
  pathText_ = path_;
  return true;
}

bool ImageSlot::SlotReload(std::string& errorText) {
  if (!module_ || !module_->IsFileBacked()) return true;
  std::unique_ptr<LoadModule> fresh = CreateFileModule(path_, errorText);
  if (!fresh) return false;
  module_ = std::move(fresh);
  pathText_ = path_;
  display_.ShowControl(pathFieldId_, true);
  return true;
}

void ImageSlot::ShowVersion() { display_.ShowControl(versionLabelId_, true); }

void ImageSlot::HideDisplay() {
  display_.ShowControl(pathFieldId_, false);
  display_.ShowControl(versionLabelId_, false);
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
