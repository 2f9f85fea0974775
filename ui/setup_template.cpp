#include "ui/setup_template.h"

namespace {
using namespace platform::style;
constexpr std::uint32_t kItem = kChild | kVisible;
constexpr std::uint32_t kCheck = kItem | kTabStop | kBsAutoCheckBox;
constexpr std::uint32_t kPush = kItem | kTabStop | kBsPushButton;
constexpr std::uint32_t kLine = kItem | kSsEtchedHorz;
}  // namespace

const platform::DialogTemplate kSetupDialogTemplate = {
    kSetupDialogId,
    "Tarnwell安装",
    0, 0, 257, 235,
    kPopup | kCaption | kSysMenu | kMinimizeBox | kDsModalFrame | kDsSetFont,
    kExClientEdge,
    9, 0, false, 1, "宋体",
    {
        {1037, "BUTTON", "For 中望CAD2021", 0, 41, 85, 74, 10, kCheck, 0},
        {1038, "BUTTON", "For 中望CAD2022", 0, 41, 107, 74, 10, kCheck, 0},
        {1039, "BUTTON", "For 中望CAD2023", 0, 41, 129, 74, 10, kCheck, 0},
        {1040, "BUTTON", "For 中望CAD2024", 0, 149, 85, 74, 10, kCheck, 0},
        {1041, "BUTTON", "For 中望CAD2025", 0, 149, 107, 74, 10, kCheck, 0},
        {1042, "BUTTON", "For 中望CAD2026", 0, 149, 129, 74, 10, kCheck, 0},
        {1, "BUTTON", "安装完成", 0, 97, 166, 63, 14, kPush & ~kVisible, 0},
        {2, "BUTTON", "取  消", 0, 160, 214, 50, 14, kPush, 0},
        {1013, "STATIC", "Korvex批打印软件 V%d.%d.%d", 0, 86, 13, 146, 13, kItem | kGroup | kSsCenter, 0},
        {-1, "STATIC", nullptr, 0, 0, 158, 257, 1, kLine, 0},
        {1016, "STATIC", "请选择安装组件：", 0, 14, 62, 69, 10, kItem | kGroup | kSsLeft, 0},
        {-1, "STATIC", nullptr, 0, 0, 51, 257, 1, kLine, 0},
        {-1, "STATIC", nullptr, kLogoBitmapId, 32, 5, 43, 43, kItem | kSsBitmap, 0},
        {1000, "EDIT", nullptr, 0, 13, 185, 179, 12, kItem | kBorder | kTabStop | kEsAutoHScroll, 0},
        {1015, "BUTTON", "浏览...", 0, 199, 183, 51, 13, kPush, 0},
        {1014, "msctls_progress32", "Progress1", 0, 13, 188, 237, 6, kChild | kBorder, 0},
        {1017, "STATIC", "请选择安装路径：", 0, 14, 167, 71, 9, kItem | kGroup | kSsLeft, 0},
        {-1, "STATIC", nullptr, 0, 0, 207, 257, 1, kLine, 0},
        {1022, "BUTTON", "安  装", 0, 47, 215, 50, 13, kPush, 0},
        {1023, "STATIC", "安装完成！重启CAD，CAD菜单尾会有以下子菜单：", 0, 33, 62, 190, 10,
         kChild | kGroup | kSsCenter, 0},
        {1018, "STATIC", "(%d位版本)", 0, 86, 33, 146, 13, kItem | kGroup | kSsCenter, 0},
        {1021, "STATIC", nullptr, kMenuBitmapId, 28, 74, 202, 80, kChild | kSsBitmap, 0},
        {1043, "BUTTON", "For 中望CAD2027", 0, 176, 165, 74, 10, kCheck & ~kVisible, 0},
    },
};
