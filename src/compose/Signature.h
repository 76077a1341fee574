// The signature the compose window appends on request, kept in Data/Shomei.dat: its lines,
// each ended by CR LF, in code page 932.
#pragma once

#include <filesystem>
#include <string>

namespace sorami {

// Writes the text (lines separated by LF, CR LF or CR) to data_dir/Shomei.dat, whole or not at
// all; msg "保存完了 : " or "保存失敗 : " and the path.
bool SaveShomei(const std::string& text, const std::filesystem::path& data_dir, std::string& msg);
// Reads data_dir/Shomei.dat into text (lines separated by LF); msg "読込完了 : " or
// "読込失敗 : " and the path. On failure text is left as it was.
bool LoadShomei(std::string& text, const std::filesystem::path& data_dir, std::string& msg);

}  // namespace sorami
