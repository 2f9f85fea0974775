#include "install/install_paths.h"

#include <algorithm>

const char* const kPackageDamagedText = "安装文件不完整或已损坏，请重新下载并解压后再执行SetUp.exe !";
const char* const kInstallPathUnsafeText = "安装路径不安全，请选择其他安装路径 !";
const char* const kFolderNotMadeText = "无法创建安装文件夹 !\n\n请选择其他安装路径 !";

bool InstallFolderFits(const std::string& installFolder) {
  return installFolder.size() <=
         std::min({kMaxTargetFolder, kMaxLibraryTargetFolder, kMaxInstallFolder});
}
