// What the tests do on the clipboard as "another program": put a picture
// there, and read back the picture that is there.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "test_pictures.h"
#include "wmf_file.h"

#include <windows.h>

namespace clipboard_test {

// A picture from a CAD program: a background rectangle and two lines in an
// 8000 × 6000 window.
inline std::vector<uint8_t> SmallCadPicture() {
  using wmf::test::Rec;
  return wmf::WriteWmf({wmf::test::WindowOrg(0, 0), wmf::test::WindowExt(8000, 6000), wmf::test::Pen(0),
                        Rec(META_SELECTOBJECT, {0}), wmf::test::Rectangle(0, 0, 8000, 6000),
                        wmf::test::Poly(META_POLYLINE, {{1000, 1000}, {3000, 2500}})});
}

// Opens the clipboard for `owner`, waiting up to 10 s while another program
// (the one under test) holds it.
inline bool OpenClipboardWaiting(HWND owner) {
  const ULONGLONG giveUp = GetTickCount64() + 10000;
  while (!OpenClipboard(owner)) {
    if (GetTickCount64() >= giveUp) return false;
    Sleep(5);
  }
  return true;
}

// Puts a picture on the clipboard, suggested at 8 by 6 inches unless `pict`
// says otherwise, with formats registered under `names` and the predefined
// `formats` beside it; returns the clipboard's sequence number afterwards, or
// 0 when a step failed (the test then fails with a message).
inline DWORD PutPicture(HWND owner, const std::vector<uint8_t>& bits, const std::vector<const wchar_t*>& names = {},
                        const std::vector<UINT>& formats = {}, METAFILEPICT pict = {MM_ANISOTROPIC, 20320, 15240}) {
  if (!OpenClipboardWaiting(owner)) {
    ADD_FAILURE() << "the test could not open the clipboard within 10 s: error " << GetLastError();
    return 0;
  }
  bool put = EmptyClipboard() != FALSE;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(METAFILEPICT));
  auto* record = block ? static_cast<METAFILEPICT*>(GlobalLock(block)) : nullptr;
  if (record) {
    *record = pict;
    record->hMF = SetMetaFileBitsEx(static_cast<UINT>(bits.size()), bits.data());
    GlobalUnlock(block);
  }
  put = put && record && SetClipboardData(CF_METAFILEPICT, block);
  if (!put && block) GlobalFree(block);
  for (const wchar_t* name : names)
    put = put && SetClipboardData(RegisterClipboardFormatW(name), GlobalAlloc(GMEM_MOVEABLE, 8));
  for (UINT format : formats) put = put && SetClipboardData(format, GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 8));
  CloseClipboard();
  if (!put) {
    ADD_FAILURE() << "the test could not put its picture on the clipboard: error " << GetLastError();
    return 0;
  }
  return GetClipboardSequenceNumber();
}

// Puts an enhanced metafile on the clipboard as programs of today do, with
// formats registered under `names` beside it; the system offers it as a
// METAFILEPICT too. Returns the clipboard's sequence number, or 0 on failure.
inline DWORD PutEnhancedPicture(HWND owner, const std::vector<uint8_t>& emf, const std::vector<const wchar_t*>& names = {}) {
  if (!OpenClipboardWaiting(owner)) {
    ADD_FAILURE() << "the test could not open the clipboard within 10 s: error " << GetLastError();
    return 0;
  }
  bool put = EmptyClipboard() != FALSE;
  HENHMETAFILE picture = SetEnhMetaFileBits(static_cast<UINT>(emf.size()), emf.data());
  put = put && picture && SetClipboardData(CF_ENHMETAFILE, picture);
  for (const wchar_t* name : names)
    put = put && SetClipboardData(RegisterClipboardFormatW(name), GlobalAlloc(GMEM_MOVEABLE, 8));
  CloseClipboard();
  if (!put) {
    ADD_FAILURE() << "the test could not put its picture on the clipboard: error " << GetLastError();
    return 0;
  }
  return GetClipboardSequenceNumber();
}

inline void EmptyTheClipboard(HWND owner) {
  if (!OpenClipboardWaiting(owner)) {
    ADD_FAILURE() << "the test could not open the clipboard within 10 s: error " << GetLastError();
    return;
  }
  if (!EmptyClipboard()) ADD_FAILURE() << "the test could not empty the clipboard: error " << GetLastError();
  CloseClipboard();
}

struct ClipboardPicture {
  bool present = false;
  METAFILEPICT pict{};
  std::vector<uint8_t> bits;
  std::vector<wmf::WmfRecord> records;
};

// The picture on the clipboard, when there is a readable one.
inline ClipboardPicture ReadPicture() {
  ClipboardPicture result;
  if (!OpenClipboard(nullptr)) return result;
  HANDLE handle = GetClipboardData(CF_METAFILEPICT);
  if (const auto* pict = handle ? static_cast<const METAFILEPICT*>(GlobalLock(handle)) : nullptr) {
    result.pict = *pict;
    GlobalUnlock(handle);
    result.bits.resize(GetMetaFileBitsEx(result.pict.hMF, 0, nullptr));
    GetMetaFileBitsEx(result.pict.hMF, static_cast<UINT>(result.bits.size()), result.bits.data());
    wmf::WmfPicture picture;
    std::string error;
    result.present = wmf::ReadWmf(result.bits, picture, error);
    result.records = wmf::CopyOf(picture.records);
  }
  CloseClipboard();
  return result;
}

// The enhanced metafile on the clipboard (the system's conversion of a
// METAFILEPICT when only that is there), and whether it was put there as
// one: listed before any METAFILEPICT.
struct ClipboardEnhancedPicture {
  std::vector<uint8_t> bytes;
  bool putAsOne = false;
};

inline ClipboardEnhancedPicture ReadEnhancedPicture() {
  ClipboardEnhancedPicture result;
  if (!OpenClipboard(nullptr)) return result;
  for (UINT id = EnumClipboardFormats(0); id != 0 && id != CF_METAFILEPICT; id = EnumClipboardFormats(id))
    if (id == CF_ENHMETAFILE) result.putAsOne = true;
  if (const auto emf = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE))) {
    result.bytes.resize(GetEnhMetaFileBits(emf, 0, nullptr));
    GetEnhMetaFileBits(emf, static_cast<UINT>(result.bytes.size()), result.bytes.data());
  }
  CloseClipboard();
  return result;
}

// The program's improved pictures begin with the mapping mode it sets.
inline bool IsImproved(const ClipboardPicture& picture) {
  return picture.present && !picture.records.empty() && picture.records[0] == wmf::test::Rec(META_SETMAPMODE, {8});
}

}  // namespace clipboard_test
