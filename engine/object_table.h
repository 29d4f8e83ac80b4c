// The object table of WMF playback: a created object takes the first free
// slot; selections and deletions name slots by index.
#pragma once

#include <cstddef>
#include <vector>

#include "wmf_record_kinds.h"

namespace wmf {

class ObjectTable {
 public:
  // Puts an object of `kind` into the first free slot and returns the slot.
  int Create(ObjectKind kind) {
    const size_t slot = NextSlot();
    if (slot == slots_.size()) slots_.push_back(kind);
    else slots_[slot] = kind;
    firstFree_ = slot + 1;
    if (slots_.size() > peak_) peak_ = slots_.size();
    return static_cast<int>(slot);
  }

  // Frees a slot; false when it holds no object.
  bool Delete(int slot) {
    if (!Holds(slot)) return false;
    slots_[slot] = ObjectKind::None;
    if (static_cast<size_t>(slot) < firstFree_) firstFree_ = slot;
    return true;
  }

  // The slot the next Create takes.
  size_t NextSlot() const {
    size_t slot = firstFree_;
    while (slot < slots_.size() && slots_[slot] != ObjectKind::None) ++slot;
    return slot;
  }

  bool Holds(int slot) const {
    return slot >= 0 && static_cast<size_t>(slot) < slots_.size() &&
           slots_[slot] != ObjectKind::None;
  }

  ObjectKind KindAt(int slot) const { return Holds(slot) ? slots_[slot] : ObjectKind::None; }

  // The most slots in use at once (the highest slot ever taken, plus one).
  size_t Peak() const { return peak_; }

 private:
  std::vector<ObjectKind> slots_;
  size_t firstFree_ = 0;  // no free slot lies below this index
  size_t peak_ = 0;
};

}  // namespace wmf
