#include "win32/app/fonts.h"

#include <string>

#include "win32/platform/handle.h"

namespace horalux {
namespace {

int CALLBACK FoundFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool HasFace(const wchar_t* face) {
  win32::ScreenDC dc;
  if (!dc.get()) return false;
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  bool found = false;
  EnumFontFamiliesExW(dc.get(), &lf, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

}  // namespace

HFONT CreateGothicFont(int pixel_height, bool fixed_pitch, int dpi) {
  static const wchar_t* const kProportional[] = {L"ＭＳ Ｐゴシック", L"MS PGothic", L"IPAPGothic",
                                                 L"IPAPゴシック", L"Meiryo UI"};
  static const wchar_t* const kFixed[] = {L"ＭＳ ゴシック", L"MS Gothic", L"IPAGothic",
                                          L"IPAゴシック"};
  const wchar_t* face = fixed_pitch ? L"ＭＳ ゴシック" : L"ＭＳ Ｐゴシック";
  if (fixed_pitch) {
    for (const wchar_t* f : kFixed)
      if (HasFace(f)) {
        face = f;
        break;
      }
  } else {
    for (const wchar_t* f : kProportional)
      if (HasFace(f)) {
        face = f;
        break;
      }
  }
  return CreateFontW(-MulDiv(pixel_height, dpi, 96), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                     SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     (fixed_pitch ? FIXED_PITCH : VARIABLE_PITCH) | FF_MODERN, face);
}

HFONT CreateMinchoFont(int pixel_height, int dpi) {
  static const wchar_t* const kFaces[] = {L"ＭＳ 明朝", L"MS Mincho", L"IPAMincho", L"IPA明朝"};
  const wchar_t* face = kFaces[0];
  for (const wchar_t* f : kFaces)
    if (HasFace(f)) {
      face = f;
      break;
    }
  return CreateFontW(-MulDiv(pixel_height, dpi, 96), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                     SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     FIXED_PITCH | FF_ROMAN, face);
}

}  // namespace horalux
