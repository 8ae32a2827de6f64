#pragma once

// Names that are not UTF-8, as old archives hold them: Shift-JIS bytes. The
// second byte of 表 is "\", which a careless reader takes for a separator.

#include <string>

namespace torvel {

inline const std::string sjisPhotoBase = "\x8e\xca\x90\x5e";     // 写真
inline const std::string sjisPhoto = sjisPhotoBase + ".jpg";     // 写真.jpg
inline const std::string sjisTableBase = "\x95\x5c";             // 表
inline const std::string sjisTable = sjisTableBase + ".txt";     // 表.txt
inline const std::string sjisTable01 = sjisTableBase + "01.txt"; // 表01.txt
inline const std::string sjisSeries = "\x89\xe6\x91\x9c"
                                      "01.jpg";                 // 画像01.jpg
inline const std::string sjisTest = "\x83\x65\x83\x58\x83\x67"; // テスト
inline const std::string sjisShown = "\x95\x5c\x8e\xa6";        // 表示

} // namespace torvel
