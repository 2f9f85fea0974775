#include "install/install_paths.h"

#include <algorithm>
#include <cstring>

#include "platform/codepage.h"

const char* const kInstallPathTooLongText =
    "安装路径太长 !\n\n请选择较短的安装路径后再安装 !";
const char* const kSourcePathTooLongText =
    "安装文件所在的路径太长 !\n\n请将安装文件解压到较短的路径后再执行SetUp.exe !";
const char* const kSetupCaption = "Tarnwell软件安装";
const char* const kPackageDamagedText = "安装文件不完整或已损坏，请重新下载并解压后再执行SetUp.exe !";
const char* const kInstallPathUnsafeText = "安装路径不安全，请选择其他安装路径 !";
const char* const kFolderNotMadeText = "无法创建安装文件夹 !\n\n请选择其他安装路径 !";

bool ComposePath(PathBuffer& buffer, std::initializer_list<std::string_view> parts) {
  std::size_t total = 0;
  for (std::string_view part : parts) total += part.size();
  buffer[0] = '\0';
  if (total > kMaxPathText) return false;
  char* out = buffer;
  for (std::string_view part : parts) {
    std::memcpy(out, part.data(), part.size());
    out += part.size();
  }
  *out = '\0';
  return true;
}

std::string RemoveTrailingSeparatorUnlessAlone(const std::string& text) {
  const std::size_t last = platform::FindLastChar(text, '\\');
  if (last != std::string::npos && last != 0 && last + 1 == text.size())
    return text.substr(0, last);
  return text;
}

void DropTrailingSeparator(std::string& path) {
  if (platform::EndsWithChar(path, '\\')) path.pop_back();
}

bool InstallFolderFits(const std::string& installFolder) {
  return installFolder.size() <=
         std::min({kMaxTargetFolder, kMaxLibraryTargetFolder, kMaxInstallFolder});
}
