#pragma once
// The Windows faces that Kelu's layouts name, and the IPA faces that stand in for them.

#include <QFont>

// Face names as the layouts write them (UTF-8).
inline constexpr const char* kFaceGothic = "ＭＳ ゴシック";
inline constexpr const char* kFacePGothic = "ＭＳ Ｐゴシック";
inline constexpr const char* kFacePMincho = "ＭＳ Ｐ明朝";
inline constexpr const char* kFaceMincho = "ＭＳ 明朝";

// Installs the substitutions "ＭＳ ゴシック" -> IPAGothic, "ＭＳ Ｐゴシック" -> IPAPGothic,
// "ＭＳ Ｐ明朝" -> IPAPMincho, "ＭＳ 明朝" -> IPAMincho. Safe to call more than once.
void InstallFontSubstitutions();

// A font of the named face (UTF-8) and size in points.
QFont KeluFont(const char* pszFace, double dPointSize);
