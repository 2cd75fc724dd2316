#pragma once
// The update's path as data: for each state its entry, its step, where success and failure lead and
// whether success runs the next step in the same tick; and the family images whose erase, write and
// sign steps follow one another in the family's order.
#include <cstdint>
#include <string>
#include <utility>

#include "engine/UpdateState.h"

namespace p25 {

class UpdateEngine;
enum class SlotName;

// Why a step failed, for the error line. Every failure names one: a text, or explicitly the link's text
// alone, so a failure that says nothing cannot be written by accident.
class FailureDetail {
public:
  explicit FailureDetail(std::string text) : text_(std::move(text)) {}
  // The link's error text tells it all (the line reads "Error: " and that text).
  static FailureDetail LinkTextOnly() { return FailureDetail(std::string()); }
  const std::string& Text() const { return text_; }

private:
  std::string text_;
};

// What a step returns: the way on and the detail that goes with it.
class StepResult {
public:
  enum class Way { Success, Failure, Again, To };

  // On along the state's success path.
  static StepResult Success() { return StepResult(Way::Success, UpdateState::Finished, {}); }
  // On along the success path, keeping a note for the error line should a chained step fail.
  static StepResult SuccessNoting(std::string note) { return StepResult(Way::Success, UpdateState::Finished, std::move(note)); }
  static StepResult Failure(const FailureDetail& detail) {
    return StepResult(Way::Failure, UpdateState::Failed, detail.Text());
  }
  // The same step again on the next tick.
  static StepResult Again() { return StepResult(Way::Again, UpdateState::Finished, {}); }
  // One of the step's own branches.
  static StepResult To(UpdateState next, std::string note = {}) { return StepResult(Way::To, next, std::move(note)); }

  Way way() const { return way_; }
  UpdateState next() const { return next_; }
  const std::string& detail() const { return detail_; }

private:
  StepResult(Way way, UpdateState next, std::string detail) : way_(way), next_(next), detail_(std::move(detail)) {}
  Way way_;
  UpdateState next_;
  std::string detail_;
};

// One image of a family and its three steps.
struct FamilyImage {
  SlotName slot;
  UpdateState erase;
  UpdateState write;
  UpdateState sign;
  const char* signFailure;  // the error line's detail when the radio refuses the signature
  UpdateState unsigned_;    // where a written image without a signature leads
  // The timed download starts with this image's write unless one of these images is present.
  SlotName timedUnless[2];
  int timedUnlessCount;
};

// Controls a state's entry shows or hides.
enum EntryControls : uint8_t {
  kNoControls = 0,
  kShowProgress = 1,  // both bars and the bytes-remaining pair
  kShowTime = 2,      // the time-remaining pair
  kHideStepBar = 4,
};

struct PathRow;
using StepHandler = StepResult (UpdateEngine::*)(const PathRow&);

struct PathRow {
  UpdateState state;
  const char* activity;  // ActivityText on entry; null leaves it as it is
  uint8_t controls;      // EntryControls
  StepHandler step;
  UpdateState success;
  UpdateState failure;
  bool chained;              // success runs the next step within the same tick: never entered, no pause
  const FamilyImage* image;  // the family image the step works on, if any
  const char* failureText;   // the detail of a refused signature
};

// The images of the 503+ or the 501 family, in the order they are written.
const FamilyImage* FamilyImages(bool family501, int& count);
const FamilyImage* FamilyImageOf(SlotName slot);

}  // namespace p25
