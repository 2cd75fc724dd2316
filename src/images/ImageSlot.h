#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "images/LoadModule.h"
#include "images/ModuleSignature.h"
#include "platform/Resources.h"

namespace p25 {

// One named image of the catalogue: its LoadModule (null when the image is not available), its disk
// path and the version shown for it.
class ImageSlot {
public:
  ImageSlot(std::string name, const ResourceSource& resources);
  ImageSlot(const ImageSlot&) = delete;
  ImageSlot& operator=(const ImageSlot&) = delete;

  // Start-up: takes the embedded image with this id unless the slot already holds one; a failure only
  // leaves the slot empty (the catalogue reports what is missing).
  void SlotLoad(const std::string& version, uint16_t resourceId);
  // The same from the folder's file <name>.dat, which then is the slot's path; false with the reason.
  bool SlotLoadFromFolder(const std::string& version, const std::string& folder, std::string& errorText);
  // Update start: a file-backed image is read afresh from the slot's path. On failure the old one stays.
  bool SlotReload(std::string& errorText);

  // Replaces (and deletes) the slot's image.
  void Adopt(std::unique_ptr<LoadModule> module) { module_ = std::move(module); }

  LoadModule* Module() const { return module_.get(); }
  const std::string& Path() const { return path_; }
  const std::string& Name() const { return name_; }
  const std::string& UpperName() const { return upperName_; }
  // The version given at load, whether or not the image loaded.
  const std::string& Version() const { return version_; }
  bool FileBacked() const { return module_ && module_->IsFileBacked(); }

private:
  std::string version_;
  std::unique_ptr<LoadModule> module_;
  std::string path_;
  std::string name_;
  std::string upperName_;
  const ResourceSource& resources_;
};

// The signature of one named image: its ModuleSignature (null when not available) and disk path.
class SignatureSlot {
public:
  SignatureSlot(std::string name, const ResourceSource& resources);
  SignatureSlot(const SignatureSlot&) = delete;
  SignatureSlot& operator=(const SignatureSlot&) = delete;

  void SlotLoad(uint16_t resourceId);
  bool SlotLoadFromFolder(const std::string& folder, std::string& errorText);
  bool SlotReload(std::string& errorText);

  // Replaces (and deletes) the slot's signature.
  void Adopt(std::unique_ptr<ModuleSignature> signature) { signature_ = std::move(signature); }

  ModuleSignature* Signature() const { return signature_.get(); }
  const std::string& Path() const { return path_; }
  const std::string& Name() const { return name_; }
  const std::string& UpperName() const { return upperName_; }

private:
  std::unique_ptr<ModuleSignature> signature_;
  std::string path_;
  std::string name_;
  std::string upperName_;
  const ResourceSource& resources_;
};

// The slot's file in a folder: folder, separator, name, extension.
std::string SlotPath(const std::string& folder, const std::string& name, const char* extension);

}  // namespace p25
