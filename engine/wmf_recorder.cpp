#include "wmf_recorder.h"

#include <algorithm>

namespace wmf {

void WmfRecorder::SetMapMode(int mode) { Emit(MetaSetMapMode, {static_cast<uint16_t>(mode)}); }

void WmfRecorder::SetWindowOrg(int x, int y) {
  Emit(MetaSetWindowOrg, {static_cast<uint16_t>(y), static_cast<uint16_t>(x)});
}

void WmfRecorder::SetWindowExt(int x, int y) {
  Emit(MetaSetWindowExt, {static_cast<uint16_t>(y), static_cast<uint16_t>(x)});
}

int WmfRecorder::OutputSlotOf(int sourceSlot) const {
  if (sourceSlot < 0 || static_cast<size_t>(sourceSlot) >= sourceToOutput_.size()) return -1;
  return sourceToOutput_[sourceSlot];
}

void WmfRecorder::Play(RecordView record) {
  const RecordKind* kind = FindRecordKind(record.function);
  if (kind && kind->creates != ObjectKind::None) {
    const int sourceSlot = source_.Create(kind->creates);
    const int outputSlot = TakeOutputSlot(kind->creates);
    if (static_cast<size_t>(sourceSlot) >= sourceToOutput_.size()) sourceToOutput_.resize(sourceSlot + 1, -1);
    sourceToOutput_[sourceSlot] = outputSlot;
    if (outputSlot >= 0) Emit(record.function, record.params);
    return;
  }
  if (!kind || kind->slotParams == 0) {
    Emit(record.function, record.params);
    return;
  }

  scratch_.assign(record.params.begin(), record.params.end());
  for (size_t i = 0; i < 8; ++i) {
    if (!(kind->slotParams & (1u << i))) continue;
    if (i >= scratch_.size()) return;  // too short to name its object
    const int outputSlot = OutputSlotOf(scratch_[i]);
    if (outputSlot < 0) {
      // No such object, or one the output could not hold: deleting it
      // still frees the source's slot.
      if (record.function == MetaDeleteObject) source_.Delete(record.params[0]);
      return;
    }
    scratch_[i] = static_cast<uint16_t>(outputSlot);
  }
  Emit(record.function, scratch_);
  if (record.function == MetaSelectObject) {
    NoteSelected(scratch_[0]);
  } else if (record.function == MetaDeleteObject) {
    const int sourceSlot = record.params[0];
    source_.Delete(sourceSlot);
    sourceToOutput_[sourceSlot] = -1;
    NoteDeleted(scratch_[0]);
  }
}

int WmfRecorder::TakeOutputSlot(ObjectKind kind) {
  constexpr size_t kMaxObjects = 0xFFFF;
  return output_.NextSlot() < kMaxObjects ? output_.Create(kind) : -1;
}

int WmfRecorder::CreateOwn(ObjectKind kind, uint16_t function, std::initializer_list<uint16_t> params) {
  const int slot = TakeOutputSlot(kind);
  if (slot >= 0) Emit(function, params);
  return slot;
}

int WmfRecorder::CreatePenIndirect(uint16_t style, int16_t width, uint32_t color) {
  return CreateOwn(ObjectKind::Pen, MetaCreatePenIndirect,
                   {style, static_cast<uint16_t>(width), 0, static_cast<uint16_t>(color),
                    static_cast<uint16_t>(color >> 16)});
}

int WmfRecorder::CreateBrushIndirect(uint16_t style, uint32_t color, uint16_t hatch) {
  return CreateOwn(ObjectKind::Brush, MetaCreateBrushIndirect,
                   {style, static_cast<uint16_t>(color), static_cast<uint16_t>(color >> 16), hatch});
}

void WmfRecorder::SelectObject(int slot) {
  if (!output_.Holds(slot)) return;
  Emit(MetaSelectObject, {static_cast<uint16_t>(slot)});
  NoteSelected(slot);
}

void WmfRecorder::DeleteObject(int slot) {
  if (!output_.Holds(slot)) return;
  Emit(MetaDeleteObject, {static_cast<uint16_t>(slot)});
  NoteDeleted(slot);
}

void WmfRecorder::NoteSelected(int slot) {
  switch (output_.KindAt(slot)) {
    case ObjectKind::Pen: selectedPen_ = slot; break;
    case ObjectKind::Brush: selectedBrush_ = slot; break;
    default: break;
  }
}

void WmfRecorder::NoteDeleted(int slot) {
  output_.Delete(slot);
  if (selectedPen_ == slot) selectedPen_ = -1;
  if (selectedBrush_ == slot) selectedBrush_ = -1;
}

uint16_t WmfRecorder::ObjectCount() const { return static_cast<uint16_t>(std::min<size_t>(output_.Peak(), 0xFFFF)); }

std::vector<uint8_t> WmfRecorder::Close() { return writer_.Finish(ObjectCount()); }

std::vector<uint8_t> WmfRecorder::CloseSpilled() { return writer_.FinishSpilled(ObjectCount()); }

}  // namespace wmf
