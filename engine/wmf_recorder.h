// A recording surface: re-records played records into a new metafile the way
// GDI's metafile recorder does, with an object table of its own.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <utility>
#include <vector>

#include "object_table.h"
#include "wmf_file.h"

namespace wmf {

class WmfRecorder {
 public:
  // Records set by the program itself.
  void SetMapMode(int mode);
  void SetWindowOrg(int x, int y);
  void SetWindowExt(int x, int y);

  // Plays one record of a source picture. Object indices in the record are
  // the source's own: a created object takes the first free slot of the
  // source's table and of the output's, and selections and deletions are
  // mapped from the one to the other. A selection or deletion of a slot that
  // holds no object does nothing, as in GDI playback.
  void Play(RecordView record);

  // Objects of the program's own; the results and arguments are output
  // slots. The output's table holds at most 65535 objects, as its header
  // counts them in 16 bits: an object beyond them is not made (-1), and a
  // source's object beyond them leaves its selections and deletions out.
  int CreatePenIndirect(uint16_t style, int16_t width, uint32_t color);
  int CreateBrushIndirect(uint16_t style, uint32_t color, uint16_t hatch);
  void SelectObject(int slot);
  void DeleteObject(int slot);

  // The output slots of the pen and brush currently selected, -1 for none
  // (the surface's default objects).
  int SelectedPen() const { return selectedPen_; }
  int SelectedBrush() const { return selectedBrush_; }
  bool HoldsObject(int slot) const { return output_.Holds(slot); }

  size_t RecordCount() const { return writer_.RecordCount(); }

  // Room for `bytes` of records, so that the output of a picture of a known
  // size is written without being moved.
  void Reserve(size_t bytes) { writer_.Reserve(bytes); }

  // The finished standard metafile: header, records and end record; called
  // once, after the last record.
  std::vector<uint8_t> Close();

  // For output that goes straight to a file: the records are handed to
  // `spill` in pieces as they are played (the header's place first, as
  // zeros), and CloseSpilled gives the header for that place; empty when a
  // spill failed.
  void SpillTo(MetafileWriter::Spill spill, size_t pieceBytes = size_t{1} << 20) {
    writer_.SpillTo(std::move(spill), pieceBytes);
  }
  std::vector<uint8_t> CloseSpilled();

 private:
  void Emit(uint16_t function, std::span<const uint16_t> params) { writer_.Append(function, params); }
  void Emit(uint16_t function, std::initializer_list<uint16_t> params) {
    Emit(function, std::span<const uint16_t>(params.begin(), params.size()));
  }
  int CreateOwn(ObjectKind kind, uint16_t function, std::initializer_list<uint16_t> params);
  int TakeOutputSlot(ObjectKind kind);
  int OutputSlotOf(int sourceSlot) const;
  uint16_t ObjectCount() const;
  void NoteSelected(int slot);
  void NoteDeleted(int slot);

  MetafileWriter writer_;
  ObjectTable output_;
  ObjectTable source_;
  std::vector<int> sourceToOutput_;  // by source slot; -1 when empty
  int selectedPen_ = -1;
  int selectedBrush_ = -1;
  std::vector<uint16_t> scratch_;
};

}  // namespace wmf
