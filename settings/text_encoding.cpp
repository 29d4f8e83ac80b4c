#include "text_encoding.h"

#include <cstdint>

namespace {

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void AppendWide(std::wstring& out, uint32_t cp) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 | (cp >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 | (cp & 0x3FF)));
      return;
    }
  }
  out.push_back(static_cast<wchar_t>(cp));
}

constexpr uint32_t kReplacement = 0xFFFD;

}  // namespace

std::string ToUtf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t cp = static_cast<uint32_t>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size()) {
        const uint32_t low = static_cast<uint32_t>(text[i + 1]);
        if (low >= 0xDC00 && low < 0xE000) {
          cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          ++i;
        }
      }
    }
    if ((cp >= 0xD800 && cp < 0xE000) || cp > 0x10FFFF) cp = kReplacement;
    AppendUtf8(out, cp);
  }
  return out;
}

// Strict decoding, as Unicode requires of a conforming decoder: an overlong
// form, an encoded surrogate, a code point beyond U+10FFFF, a stray
// continuation byte or a cut sequence is not a character. Each such maximal
// part becomes one U+FFFD, so that no byte can hide a line break or a quote
// behind a second spelling.
std::wstring FromUtf8(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const uint8_t lead = static_cast<uint8_t>(text[i]);
    if (lead < 0x80) {
      out.push_back(static_cast<wchar_t>(lead));
      ++i;
      continue;
    }
    // The length of the sequence and the range of its second byte.
    int extra = 0;
    uint8_t low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2;
      if (lead == 0xE0) low = 0xA0;   // shorter forms are overlong
      if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
      if (lead == 0xF0) low = 0x90;   // overlong
      if (lead == 0xF4) high = 0x8F;  // beyond U+10FFFF
    }
    uint32_t cp = extra == 0 ? 0 : lead & (0x3Fu >> extra);
    size_t used = 1;
    for (int k = 1; k <= extra && i + used < text.size(); ++k) {
      const uint8_t next = static_cast<uint8_t>(text[i + used]);
      if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) break;
      cp = (cp << 6) | (next & 0x3F);
      ++used;
    }
    AppendWide(out, extra > 0 && used == static_cast<size_t>(extra) + 1 ? cp : kReplacement);
    i += used;
  }
  return out;
}

std::u16string ToUtf16(const std::wstring& text) {
  if constexpr (sizeof(wchar_t) == 2) return std::u16string(text.begin(), text.end());
  std::u16string out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    uint32_t cp = static_cast<uint32_t>(c);
    if ((cp >= 0xD800 && cp < 0xE000) || cp > 0x10FFFF) cp = kReplacement;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 | (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 | (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::wstring FromUtf16(const std::u16string& text) {
  if constexpr (sizeof(wchar_t) == 2) return std::wstring(text.begin(), text.end());
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t cp = text[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = kReplacement;
    }
    AppendWide(out, cp);
  }
  return out;
}
